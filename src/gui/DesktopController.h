#pragma once

#include "engine/Engine.h"
#include "gui/BrowserItems.h"
#include "gui/DesktopHosts.h"
#include "gui/ListSelection.h"
#include "gui/MessageBox.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vidtrawl::gui {

// "The download list is full (32767 items): N addresses were not added."
std::string ListFullText(std::size_t dropped);

// The desktop program's own rules, over the engine: the movie's commands and
// variables, the one start/stop toggle with its captions, the deferred start
// and exit, the way out with its question, the folder choice, the settings
// as the movie shows them, and the clipboard monitor's copies. The movie,
// the tray menu and the window's close all come here.
class DesktopController final : public QObject, public engine::PassObserver {
public:
  static constexpr const char *kStartCaption = "Start Downloading";
  static constexpr const char *kStopCaption = "Stop Downloading";
  static constexpr const char *kEmptyListText = "Please add video URL's first.";
  static constexpr const char *kEmptyListTitle = "Empty List";
  static constexpr const char *kConfirmStopText =
      "Are you sure that you want to cancel downloading?";
  static constexpr const char *kOfflineText =
      "You are not connected to the internet, Please connect first then try again";
  static constexpr const char *kConfirmExitText =
      "Download is in Progress, Are you sure that you want to exit?";
  static constexpr const char *kFolderPrompt =
      "Please select the desired Download directory then press Ok.";
  static constexpr const char *kDoNotAskAgain = "Do not ask again";
  static constexpr const char *kNothingToDoTitle = "Nothing to Download";
  static constexpr const char *kNothingToDoText =
      "There is nothing to download: every item in the list is complete, failed or paused. "
      "Retry or resume items from their menu (right button on a row).";
  // The front end's value that is "False" once the user asked not to be
  // asked before several items are removed.
  static constexpr const char *kAskBeforeRemoving = "Ask Before Removing";
  // The front end's value "Keep" or "Delete" once the user chose what becomes of the bytes of a
  // removed item's unfinished download for good; empty: the user is asked.
  static constexpr const char *kRemovedPartialFiles = "Removed Partial Files";
  // The deferred start runs at the loop's next turn, the deferred exit this
  // long after it is asked for (once the menu that asked has closed): both
  // outside the movie's command or the menu's click that asked.
  static constexpr int kExitDeferMillis = 200;

  struct Hosts {
    MovieVariables &movie;
    WindowActions &window;
    ShellOpen &shell;
    FolderChooser &folders;
    Connectivity &connectivity;
    ClipboardSwitch &clipboard;
    MessageBox &messages;
    ListSelection &selection;
  };
  // How a pass ended.
  struct PassEnd {
    engine::PassSummary summary;
  };

  // helpFile: the help document; webSite: the address the web-site command opens.
  DesktopController(engine::Engine &engine, Hosts hosts, std::string helpFile, std::string webSite);
  ~DesktopController() override;

  // Start-up: the about text, then the settings (the monitor switched on
  // when they say so) shown in the movie.
  void Start(int major, int minor, int revision);

  // A command of the movie; unknown ones are ignored, the argument unused.
  void Command(std::string_view command);
  // A text the clipboard watcher delivered.
  void Copied(const std::string &text);
  // The window system asks to close the window: the way out.
  void Exit();
  // The help document, in the desktop's viewer; a failure is told, with
  // where the document is.
  void OpenHelp();

  // What the list offers for its items: the selected ones go (after a
  // question when they are more than one, unless the user asked for none;
  // one that holds an unfinished download's bytes asks whether they stay);
  // a complete item's file, or the folder an item's file is in (else the
  // download folder), opens by its absolute path; the addresses go to the
  // clipboard, one a line; failed and cancelled items are started again.
  void RemoveSelected();
  void OpenFile(engine::Serial serial);
  void OpenFolder(engine::Serial serial);
  // A name typed for an item (the file's too when it is complete); a refusal
  // with a reason is told. Whether it was taken.
  bool Rename(engine::Serial serial, const std::string &typed);
  void CopyAddresses(const std::vector<engine::Serial> &serials);
  // Puts a text on the clipboard (nothing for an empty one).
  void CopyText(const std::string &text);
  void Retry(const std::vector<engine::Serial> &serials);
  // Paused items wait until resumed; resumed ones are downloaded at once.
  void Pause(const std::vector<engine::Serial> &serials);
  void Resume(const std::vector<engine::Serial> &serials);
  // The most all downloads together receive a second (0: none); set, it
  // holds at once and is kept in the settings.
  const engine::Config &Settings() const { return engine_.Settings(); }
  std::uint64_t SpeedLimit() const { return engine_.Settings().speedLimit; }
  void SetSpeedLimit(std::uint64_t bytesPerSecond);
  // The settings window's changes: taken at once and saved, the movie and the
  // clipboard watcher following them; false when the engine refused a part.
  bool ChangeSettings(const std::function<void(engine::Config &)> &change);
  // The desktop's own choices beside them: whether removing several items
  // asks first, and what becomes of a removed download's bytes.
  enum class PartialFiles { Ask, Keep, Delete };
  bool AskBeforeRemoving() const;
  void SetAskBeforeRemoving(bool ask);
  PartialFiles RemovedPartialFiles() const;
  void SetRemovedPartialFiles(PartialFiles choice);
  // Adds what a dropped or pasted text holds of supported sites' addresses
  // (started when the settings say so); a list too full for them all is told.
  void AddText(const std::string &text);
  // Addresses given when the program starts: added and downloaded as a
  // copied address is (at the loop's next turn).
  void AddAndStart(const std::vector<std::string> &addresses);
  // After the kept list is read: its waiting items go on, when the settings
  // say so and the machine is online.
  void ResumeAtStart();
  // A later start of the program handed these over: added and downloaded
  // as its own would have been; with none, the window comes forward.
  void HandedOver(const std::vector<std::string> &addresses);
  // Items the browser handed over: added and downloaded as copied addresses
  // are, with what came with them kept for their requests (BrowserItems).
  void AddFromBrowser(const std::vector<channel::HandedItem> &items);
  const BrowserItems &FromBrowser() const { return browserItems_; }

  // The tray menu's entries: start (at the loop's next turn) or stop by the caption;
  // monitoring the other way round from the mark shown, not saved; the exit
  // 200 ms later, after the menu has closed.
  void TrayDownload();
  void TrayMonitor(bool wasChecked);
  void TrayExit();

  // The toggle's caption, and the monitor's state the tray's mark shows.
  const char *Caption() const { return caption_; }
  bool Monitoring() const { return engine_.Settings().monitor; }

  void OnCaptionChanged(std::function<void()> listener) { captionChanged_ = std::move(listener); }
  void OnPassEnded(std::function<void(const PassEnd &)> listener) {
    passEnded_ = std::move(listener);
  }
  void OnSettingsChanged(std::function<void()> listener) { settingsChanged_ = std::move(listener); }

  // The movie page on show ("Download", "About" or empty).
  const std::string &ActivePage() const { return activePage_; }
  bool StartPending() const { return startTimer_.isActive(); }
  bool ExitPending() const { return exitTimer_.isActive(); }

  void PassStarted() override;
  void PassEnded(const engine::PassSummary &summary) override;
  // A playlist's other videos: the user is asked once, at the loop's next turn, whether they are
  // added and downloaded too; the item goes on with the page's own meanwhile.
  void PlaylistFound(const engine::PlaylistOffer &offer) override;
  // What a note at a pass's end says: how many of its items completed and
  // failed, and why the first few of its failed ones (in list order) failed,
  // each named by its file name or, while it has none, by its address.
  std::string PassEndNote(const engine::PassSummary &summary) const;

private:
  // Changes the configuration; false when the engine refused a part of it.
  bool Configure(const std::function<void(engine::Config &)> &change);
  void TellListFull(std::size_t dropped);
  // What was added is told when the list is full, and started when `start` says so: by the pass
  // that runs, else at the loop's next turn.
  void Added(const engine::Added &added, bool start);
  void StartItems(const std::vector<engine::Serial> &serials);
  // The deferred start: the whole list's (the toggle's), or the items waiting for it.
  void StartDeferred();
  void StartOrStop();
  // A confirmed stop: the pass ends, the toggle shows the idle state.
  void Stop();
  void SetCaption(const char *caption);
  void SetFlags(const char *value, const char *const (&order)[3]);
  void Monitor(bool on);
  void ShowSettings();
  // The About page's line of the site extractor: its version, or why it cannot be run.
  void TellExtractor();
  void ChooseSimultaneousDownloads();
  void ChooseFolder();
  void AddFromMovie();
  void AskAboutPlaylists();
  // Opens it, or tells why not (and `hint`, when there is one).
  void Open(const std::string &target, const std::string &what, const std::string &hint = {});

  engine::Engine &engine_;
  Hosts hosts_;
  BrowserItems browserItems_{engine_};
  std::string helpFile_;
  std::string webSite_;
  std::string activePage_;
  std::string about_;         // the about text, before the extractor's line
  std::string extractorTold_; // the program whose version was asked
  const char *caption_ = kStartCaption;
  QTimer startTimer_;
  QTimer exitTimer_;
  bool wholeList_ = false;               // the deferred start is the toggle's
  std::vector<engine::Serial> starting_; // items the deferred start starts
  bool ending_ = false;
  std::vector<engine::PlaylistOffer> offers_;       // the playlists to ask about, in turn
  std::unordered_set<engine::Serial> offeredItems_; // whose playlist the user was asked about
  bool askingAboutPlaylists_ = false;
  std::function<void()> captionChanged_;
  std::function<void(const PassEnd &)> passEnded_;
  std::function<void()> settingsChanged_;
};

} // namespace vidtrawl::gui
