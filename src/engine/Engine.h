#pragma once

#include "engine/DesktopHosts.h"
#include "host/CellUpdateEvents.h"
#include "host/Timers.h"
#include "list/DownloadItem.h"
#include "list/FormatSize.h"
#include "list/ItemObserver.h"
#include "list/Status.h"
#include "list/StatusKind.h"
#include "net/ConnectionMap.h"
#include "net/PartialFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::host {
class Connectivity;
class Grid;
class MessageBox;
class MovieVariables;
class Pump;
} // namespace vidtrawl::host
namespace vidtrawl::scheduler {
struct EngineParts;
}
namespace vidtrawl::engine {
struct DesktopParts;
}

// The engine's public face: everything a front end may use. Front ends
// implement the host interfaces (host/) and drive the program through this
// class only; the pieces behind it are not theirs to touch.
namespace vidtrawl::engine {

using list::ClassifyStatus;
using list::DownloadItem;
using list::FormatSize;
using list::IsFileNamePlaceholder;
using list::IsKnownSizeText;
using list::ItemObserver;
using list::LocaleDecimalSeparator;
using list::StatusClass;
using list::StatusKind;
using net::ConnectionMap;

// A download is received into its file name with this added, and renamed
// when complete: a cancelled or failed item's bytes are under that name.
inline constexpr const char *kPartialSuffix = net::PartialFile::kSuffix;
// The most items the list holds.
inline constexpr std::size_t kListCapacity = 32767;

struct Hosts {
  host::Pump &pump;
  host::MessageBox &messages;
  host::Grid &grid;
  host::MovieVariables &movie;
  host::Connectivity &connectivity;
};

struct Options {
  // Where connections go (curl's --connect-to entries).
  ConnectionMap connections = ConnectionMap::FromEnvironment();
  // The settings file; default: the user's registry file.
  std::optional<std::filesystem::path> registryFile;
  // The folder of the page scratch file; default: a private folder of this
  // running instance.
  std::optional<std::filesystem::path> scratchFolder;
};

// How a download pass ended: its items complete and failed, and whether
// the clipboard monitor had started it.
struct PassSummary {
  int completed = 0;
  int failed = 0;
  bool startedByMonitor = false;
};

// What the engine is doing right now, for progress displays.
struct Activity {
  bool downloading = false;                // a download pass is running
  std::optional<std::size_t> currentIndex; // the item being processed
  bool fetchingPage = false;               // the running transfer is a page fetch
  std::int64_t bytesReceived = 0;          // by the running (or last) transfer
  double fileSize = 0;                     // announced size of the running transfer; 0 unknown
};

class Engine {
public:
  Engine(Hosts hosts, Options options = {});
  ~Engine();
  Engine(const Engine &) = delete;
  Engine &operator=(const Engine &) = delete;

  // Settings: monitoring and the download folder. LoadSettings reads them
  // (switching the clipboard monitor on when monitoring is on) and shows
  // them in the movie; SaveSettings stores them; ShowSettings shows them again.
  void LoadSettings();
  void SaveSettings() const;
  void ShowSettings();
  const std::string &DownloadDir() const;
  void SetDownloadDir(const std::string &folder);
  bool MonitorEnabled() const;
  void SetMonitorEnabled(bool on);

  // The list. AddLink adds one page address as the add command does;
  // AddLinks adds many with one rebuild of the grid; AddLinksFromText adds
  // each line of a text (a drop, a paste) that names a supported site.
  void AddLink(const std::string &url);
  void AddLinks(const std::vector<std::string> &urls);
  void AddLinksFromText(const std::string &text);
  static bool NamesSupportedSite(const std::string &address);
  std::size_t ItemCount() const;
  const DownloadItem &Item(std::size_t index) const;
  const std::vector<DownloadItem> &Items() const;
  // Told of every change of the list (nullptr: nobody).
  void SetItemObserver(ItemObserver *observer);

  // The list editing commands, on the grid's rows and selection.
  void SelectAll();
  void RemoveSelected();
  void MoveSelectedUp();
  void MoveSelectedDown();
  void ClearCompleted();
  void LocateCurrentRow();
  // Where a grid that lets the user edit file names reports its edits.
  host::CellUpdateEvents &CellEvents();

  // The start/stop control: starts a pass (which runs inside this call) or,
  // while one runs, asks the user whether to stop it.
  void cmdStartDownload_Click();
  // A stop the user has confirmed already (an interrupt, the exit path).
  void RequestStop();
  bool Downloading() const;
  // Called whenever a pass the start/stop control started has ended.
  void OnPassEnded(std::function<void(const PassSummary &)> listener);
  // The start/stop button's caption and the tray entry's, and a listener
  // called after either changed.
  const std::string &Caption() const;
  const std::string &MenuCaption() const;
  void OnCaptionsChanged(std::function<void()> listener);

  // One page resolved without adding it: the video address, or "-1" (no
  // supported site), "-2" (page not fetched), "0" (no video in the page).
  std::string ResolvePage(const std::string &url);
  static bool IsVideoAddress(const std::string &result);

  Activity CurrentActivity() const;

  // --- The desktop program --------------------------------------------------

  // The desktop's window, timers, opener and folder dialog; helpFile is the
  // help document, webSite the address the movie's web-site command opens.
  void AttachDesktop(DesktopHosts hosts, std::string helpFile, std::string webSite);

  // Start-up: the grid's columns laid out (not yet marked formatted) and the
  // about text ("Version major.minor.0.revision" and the description).
  void FormatDownloadGrid(bool bInit);
  void ShowAboutText(int major, int minor, int revision);

  // A command of the movie (Flash_FSCommand), a timer that fired, the exit
  // path (for a close request of the window system), and the tray menu.
  void Flash_FSCommand(const std::string &command, const std::string &args);
  void OnTimer(host::Timers::Id timer);
  void EndMe();
  bool TrayMonitorChecked() const;
  // The clipboard monitor: a text the watcher delivered (the receiver's
  // change event), one poll at once, and the hidden check box that
  // switches the poll.
  void txtMonitor_Change(const std::string &text);
  void CallMonTimer();
  void chkMonitor_Click();
  void mnuDownload_Click();
  void mnuMonitor_Click(bool checked);
  void mnuExit_Click();

private:
  DesktopParts &Desktop() const;

  std::unique_ptr<scheduler::EngineParts> parts_;
  std::unique_ptr<DesktopParts> desktop_;
};

} // namespace vidtrawl::engine
