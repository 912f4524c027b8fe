#include "gui/DesktopController.h"

#include "base/NumberScan.h"
#include "base/TrimBlanks.h"
#include "gui/MessageBox.h"
#include "gui/MovieContract.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

namespace vidtrawl::gui {
namespace {

using Box = MessageBox;

constexpr char kDownloadPage[] = "Download";
constexpr char kAboutPage[] = "About";

// The orders the three flags are written in: at a start and a stop, and
// when a pass ends by itself.
constexpr const char *kStartStopOrder[3] = {movie::kDownloadBtn, movie::kStartDownloadFlag,
                                            movie::kDownloadTab};
constexpr const char *kEndOrder[3] = {movie::kStartDownloadFlag, movie::kDownloadBtn,
                                      movie::kDownloadTab};

} // namespace

std::string ListFullText(std::size_t dropped) {
  const std::string what =
      dropped == 1 ? "1 address was" : std::to_string(dropped) + " addresses were";
  return "The download list is full (" + std::to_string(engine::kListCapacity) +
         " items): " + what + " not added.";
}

DesktopController::DesktopController(engine::Engine &engine, Hosts hosts, std::string helpFile,
                                     std::string webSite)
    : engine_(engine), hosts_(hosts), helpFile_(std::move(helpFile)), webSite_(std::move(webSite)) {
  for (QTimer *timer : {&startTimer_, &exitTimer_})
    timer->setSingleShot(true);
  exitTimer_.setInterval(kExitDeferMillis);
  connect(&startTimer_, &QTimer::timeout, this, [this] { StartDeferred(); });
  connect(&exitTimer_, &QTimer::timeout, this, [this] { Exit(); });
  engine_.Subscribe(this);
}

DesktopController::~DesktopController() {
  engine_.Unsubscribe(this);
}

void DesktopController::Start(int major, int minor, int revision) {
  about_ = movie::AboutTxtValue(major, minor, revision);
  hosts_.movie.Set(movie::kAboutTxt, about_);
  hosts_.movie.Set(movie::kWebSiteShown, movie::Flag(!webSite_.empty()));
  if (engine_.LoadSettings() == engine::SettingsRead::TooLarge)
    hosts_.messages.Show("The settings file " + engine_.SettingsFile().string() +
                             " is too large to be Vidtrawl's: it is left as it is, and the "
                             "default settings are used and not saved.",
                         Box::Buttons::Ok, Box::Icon::Exclamation);
  // A playlist's other videos are the user's choice here (PlaylistFound).
  Configure(
      [](engine::Config &config) { config.extractorPlaylists = engine::Config::Playlists::Ask; });
  if (engine_.Settings().monitor)
    hosts_.clipboard.Watch(true);
  ShowSettings();
}

void DesktopController::SetCaption(const char *caption) {
  caption_ = caption;
  if (captionChanged_)
    captionChanged_();
}

void DesktopController::SetFlags(const char *value, const char *const (&order)[3]) {
  for (const char *name : order)
    hosts_.movie.Set(name, value);
}

void DesktopController::TellExtractor() {
  // Its version is asked once for each program named, when the About page first shows it.
  const std::string program = engine_.Settings().extractor;
  if (program == extractorTold_)
    return;
  extractorTold_ = program;
  engine_.ReadExtractorVersion([this, self = QPointer(this),
                                program](const std::optional<std::string> &version) {
    if (self && program == engine_.Settings().extractor)
      hosts_.movie.Set(movie::kAboutTxt,
                       about_ + "\r\nSite extractor: " + engine::ExtractorText(program, version));
  });
}

void DesktopController::ShowSettings() {
  hosts_.movie.Set(movie::kAutoToDownloadListCB, movie::Flag(engine_.Settings().monitor));
  hosts_.movie.Set(movie::kDownloadCB, movie::kFlagOn);
  hosts_.movie.Set(movie::kConvertCB, movie::kFlagOn);
  hosts_.movie.Set(movie::kDownloadDir, engine_.DownloadDir());
  hosts_.movie.Set(movie::kSimultaneousDownloads,
                   std::to_string(engine_.Settings().simultaneousDownloads));
}

bool DesktopController::Configure(const std::function<void(engine::Config &)> &change) {
  engine::Config config = engine_.Settings();
  change(config);
  return engine_.Configure(std::move(config));
}

void DesktopController::ChooseSimultaneousDownloads() {
  // Taken to its bounds by the engine; what the movie shows is what holds.
  const std::string chosen = hosts_.movie.Get(movie::kSimultaneousDownloads);
  if (const std::optional<int> jobs = base::ParseInteger<int>(chosen)) {
    Configure([&](engine::Config &config) { config.simultaneousDownloads = *jobs; });
    engine_.SaveSettings();
  }
  hosts_.movie.Set(movie::kSimultaneousDownloads,
                   std::to_string(engine_.Settings().simultaneousDownloads));
}

void DesktopController::Monitor(bool on) {
  hosts_.clipboard.Watch(on);
  Configure([&](engine::Config &config) { config.monitor = on; });
}

void DesktopController::Stop() {
  if (caption_ == kStopCaption) {
    SetCaption(kStartCaption);
    SetFlags(movie::kFlagOn, kStartStopOrder);
  }
  engine_.RequestStop(); // every download ends at once, and the pass with them
}

void DesktopController::StartOrStop() {
  // A running pass can always be stopped, also when its list was emptied.
  // The question holds no download up; the pass may end while it is asked.
  if (engine_.Downloading()) {
    if (hosts_.messages.Show(kConfirmStopText, Box::Buttons::YesNo, Box::Icon::Question) ==
        Box::Answer::Yes)
      Stop();
    return;
  }
  if (engine_.Empty()) {
    hosts_.movie.Set(movie::kStartDownloadFlag, movie::kFlagOn);
    hosts_.messages.ShowMessage(
        Box::Message{kEmptyListText, Box::Buttons::Ok, Box::Icon::Exclamation, kEmptyListTitle});
    return;
  }
  if (!engine_.AnyToDownload()) {
    hosts_.movie.Set(movie::kStartDownloadFlag, movie::kFlagOn);
    hosts_.messages.ShowMessage(Box::Message{kNothingToDoText, Box::Buttons::Ok,
                                             Box::Icon::Exclamation, kNothingToDoTitle});
    return;
  }
  if (!hosts_.connectivity.IsConnected()) {
    hosts_.messages.Show(kOfflineText, Box::Buttons::Ok, Box::Icon::Exclamation);
    return;
  }
  engine_.StartPass(); // returns at once; its start and end come to PassStarted and PassEnded
}

void DesktopController::PassStarted() {
  // Whoever started it (the toggle, a retry, a resume): the toggle stops it now.
  SetCaption(kStopCaption);
  SetFlags(movie::kFlagOff, kStartStopOrder);
  if (activePage_ == kAboutPage)
    hosts_.movie.Set(movie::kDownloadBtnTab, movie::kFlagOn);
}

void DesktopController::PassEnded(const engine::PassSummary &summary) {
  if (caption_ == kStopCaption) { // a stop has shown the idle state already
    SetFlags(movie::kFlagOn, kEndOrder);
    SetCaption(kStartCaption);
  }
  if (passEnded_)
    passEnded_(PassEnd{summary});
}

void DesktopController::PlaylistFound(const engine::PlaylistOffer &offer) {
  // Once for an item: its next runs find the same playlist.
  if (!offeredItems_.insert(offer.item).second)
    return;
  offers_.push_back(offer);
  if (!askingAboutPlaylists_)
    QTimer::singleShot(0, this, [this] { AskAboutPlaylists(); });
  askingAboutPlaylists_ = true;
}

void DesktopController::AskAboutPlaylists() {
  // Those found while a question is on screen are asked next.
  while (!offers_.empty()) {
    const engine::PlaylistOffer offer = offers_.front();
    offers_.erase(offers_.begin());
    const std::optional<engine::ItemView> item = engine_.Find(offer.item);
    if (!item)
      continue;
    const std::string all = std::to_string(offer.videos);
    const Box::Answer answer = hosts_.messages.ShowMessage(
        {.text = "The page " + item->address + " is a playlist of " + all +
                 " videos. Download all " + all + ", or only the page's video?",
         .buttons = Box::Buttons::YesNo,
         .icon = Box::Icon::Question,
         .yes = "Download &All " + all,
         .no = "Only the &Page's Video"});
    if (answer == Box::Answer::Yes)
      Added(engine_.AddPlaylist(offer), true);
  }
  askingAboutPlaylists_ = false;
}

std::string DesktopController::PassEndNote(const engine::PassSummary &summary) const {
  constexpr std::size_t kNamed = 3;
  std::string note = std::to_string(summary.completed) + " complete, " +
                     std::to_string(summary.failed) + " failed.";
  // Those still failed and still listed, once each (one retried in the pass may have failed
  // twice), in list order: several at once fail in an order of the servers' making.
  std::vector<std::size_t> failed;
  for (const engine::Serial serial : summary.failedItems)
    if (const std::optional<std::size_t> index = engine_.IndexOf(serial);
        index && engine_.ItemAt(*index).phase == engine::Phase::Failed)
      failed.push_back(*index);
  std::sort(failed.begin(), failed.end());
  failed.erase(std::unique(failed.begin(), failed.end()), failed.end());
  failed.resize(std::min(failed.size(), kNamed));
  for (const std::size_t index : failed) {
    const engine::ItemView item = engine_.ItemAt(index);
    note += "\n" + item.fileName.value_or(item.address) + ": " + engine::ReasonText(item);
  }
  return note;
}

void DesktopController::Command(std::string_view command) {
  using Handler = void (*)(DesktopController &);
  struct Row {
    std::string_view command;
    Handler run;
  };
  static constexpr Row kRows[] = {
      {movie::kDrag, [](DesktopController &c) { c.hosts_.window.DragWindow(); }},
      {movie::kMinimize, [](DesktopController &c) { c.hosts_.window.Minimize(); }},
      {movie::kMaximize, [](DesktopController &c) { c.hosts_.window.ToggleMaximized(); }},
      {movie::kTray, [](DesktopController &c) { c.hosts_.window.HideToTray(); }},
      {movie::kClose, [](DesktopController &c) { c.Exit(); }},
      {movie::kSlider, [](DesktopController &c) { c.hosts_.window.HideList(); }},
      {movie::kDownloadPage,
       [](DesktopController &c) {
         c.hosts_.window.ShowList();
         c.activePage_ = kDownloadPage;
       }},
      {movie::kAboutPage,
       [](DesktopController &c) {
         c.hosts_.window.HideList();
         c.activePage_ = kAboutPage;
         c.TellExtractor();
       }},
      {movie::kHelp, [](DesktopController &c) { c.OpenHelp(); }},
      {movie::kWebSite, [](DesktopController &c) { c.Open(c.webSite_, c.webSite_); }},
      {movie::kStartDownload,
       [](DesktopController &c) {
         c.wholeList_ = true;
         c.startTimer_.start();
       }},
      {movie::kStopDownload, [](DesktopController &c) { c.StartOrStop(); }},
      {movie::kAddDownloadUrl, [](DesktopController &c) { c.AddFromMovie(); }},
      {movie::kSelectAll, [](DesktopController &c) { c.hosts_.selection.SelectAll(); }},
      {movie::kRemoveSelected, [](DesktopController &c) { c.RemoveSelected(); }},
      {movie::kMoveUp,
       [](DesktopController &c) {
         if (const auto item = c.hosts_.selection.FirstSelectedItem())
           c.engine_.MoveUp(*item);
       }},
      {movie::kMoveDown,
       [](DesktopController &c) {
         if (const auto item = c.hosts_.selection.FirstSelectedItem())
           c.engine_.MoveDown(*item);
       }},
      {movie::kClearComplete, [](DesktopController &c) { c.engine_.ClearCompleted(); }},
      {movie::kBrowse,
       [](DesktopController &c) {
         c.ChooseFolder();
         c.engine_.SaveSettings();
       }},
      {movie::kMonitorOn,
       [](DesktopController &c) {
         c.Monitor(true);
         c.engine_.SaveSettings();
       }},
      {movie::kMonitorOff,
       [](DesktopController &c) {
         c.Monitor(false);
         c.engine_.SaveSettings();
       }},
      {movie::kSimultaneousDownloadsChosen,
       [](DesktopController &c) { c.ChooseSimultaneousDownloads(); }},
      {movie::kChooseSpeedLimit, [](DesktopController &c) { c.hosts_.window.ChooseSpeedLimit(); }},
      {movie::kToggleDetails, [](DesktopController &c) { c.hosts_.window.ToggleDetails(); }},
      {movie::kSettings, [](DesktopController &c) { c.hosts_.window.ShowSettings(); }},
  };
  for (const Row &row : kRows)
    if (row.command == command) {
      row.run(*this);
      return;
    }
}

void DesktopController::AddFromMovie() {
  // Typed or pasted: every address the text holds, those of no supported site listed as such.
  const std::string text = hosts_.movie.Get(movie::kVideoUrl);
  if (!base::TrimBlanks(text).empty())
    Added(engine_.AddText(text, false), engine_.Settings().startAdded);
}

void DesktopController::TellListFull(std::size_t dropped) {
  if (dropped > 0)
    hosts_.messages.Show(ListFullText(dropped), Box::Buttons::Ok, Box::Icon::Exclamation);
}

void DesktopController::Added(const engine::Added &added, bool start) {
  TellListFull(added.dropped);
  if (start)
    StartItems(added.items);
}

void DesktopController::StartItems(const std::vector<engine::Serial> &serials) {
  if (serials.empty())
    return;
  if (engine_.Downloading()) {
    engine_.Start(serials);
    return;
  }
  starting_.insert(starting_.end(), serials.begin(), serials.end());
  startTimer_.start();
}

void DesktopController::StartDeferred() {
  const std::vector<engine::Serial> items = std::exchange(starting_, {});
  if (std::exchange(wholeList_, false) && !engine_.Downloading()) {
    StartOrStop();
    return;
  }
  if (items.empty())
    return;
  if (!engine_.Downloading() && !hosts_.connectivity.IsConnected()) {
    hosts_.messages.Show(kOfflineText, Box::Buttons::Ok, Box::Icon::Exclamation);
    return;
  }
  engine_.Start(items);
}

void DesktopController::AddText(const std::string &text) {
  Added(engine_.AddText(text, true), engine_.Settings().startAdded);
}

void DesktopController::Copied(const std::string &text) {
  // Whatever else the user copies is not the monitor's: it leaves no trace.
  if (!engine_.IsVideoPageAddress(text))
    return;
  // The field is left empty: what the user types next is an address of its own.
  hosts_.movie.Set(movie::kVideoUrl, "");
  Added(engine_.AddText(text, true), true);
}

void DesktopController::ResumeAtStart() {
  if (engine_.Settings().resumeAtStart && hosts_.connectivity.IsConnected())
    engine_.ResumeAtStart();
}

void DesktopController::ChooseFolder() {
  const std::string folder = hosts_.folders.ChooseFolder(kFolderPrompt);
  if (folder.empty())
    return;
  Configure([&](engine::Config &config) { config.downloadDir = folder; });
  hosts_.movie.Set(movie::kDownloadDir, folder);
}

void DesktopController::Open(const std::string &target, const std::string &what,
                             const std::string &hint) {
  hosts_.shell.Open(target, [this, what, hint](const std::string &reason) {
    hosts_.messages.Show("Vidtrawl could not open " + what + ": " + reason + "." +
                             (hint.empty() ? "" : "\n\n" + hint),
                         Box::Buttons::Ok, Box::Icon::Exclamation);
  });
}

void DesktopController::RemoveSelected() {
  // Taken before the question: the list may change while it is asked.
  const std::vector<engine::Serial> items = hosts_.selection.SelectedItems();
  std::vector<engine::ItemView> unfinished;
  for (const engine::Serial serial : items)
    if (const std::optional<engine::ItemView> item = engine_.Find(serial);
        item && engine::HoldsPartialFile(*item))
      unfinished.push_back(*item);
  PartialFiles partial = RemovedPartialFiles();
  if (!unfinished.empty() && partial == PartialFiles::Ask) {
    const engine::ItemView &one = unfinished.front();
    const std::string what =
        unfinished.size() == 1
            ? "\"" + one.fileName.value_or(one.address) +
                  "\" is not finished: " + engine::FormatSize(static_cast<double>(one.received)) +
                  " of it are in its partial file."
            : std::to_string(unfinished.size()) +
                  " of the items are not finished: their bytes are in partial files.";
    bool dontAsk = false;
    const Box::Message question{
        "Remove the selected items from the download list? " + what +
            "\n\nKept, a partial file stays in the download folder, and the same address added "
            "again goes on from it.",
        Box::Buttons::KeepDeleteCancel,
        Box::Icon::Question,
        Box::kAppTitle,
        kDoNotAskAgain,
        &dontAsk};
    const Box::Answer answer = hosts_.messages.ShowMessage(question);
    if (answer != Box::Answer::Keep && answer != Box::Answer::Delete)
      return;
    partial = answer == Box::Answer::Keep ? PartialFiles::Keep : PartialFiles::Delete;
    if (dontAsk)
      SetRemovedPartialFiles(partial);
  } else if (items.size() > 1 && AskBeforeRemoving()) {
    bool dontAsk = false;
    const Box::Message question{
        "Remove the " + std::to_string(items.size()) +
            " selected items from the download list? This cannot be undone.",
        Box::Buttons::YesNo,
        Box::Icon::Question,
        Box::kAppTitle,
        kDoNotAskAgain,
        &dontAsk};
    if (hosts_.messages.ShowMessage(question) != Box::Answer::Yes)
      return;
    // Kept only for a removal confirmed: a question never asked again must not mean "No".
    if (dontAsk)
      SetAskBeforeRemoving(false);
  }
  engine_.Remove(items, partial == PartialFiles::Keep ? engine::Leftovers::Keep
                                                      : engine::Leftovers::Delete);
}

bool DesktopController::AskBeforeRemoving() const {
  return engine_.FrontEndValue(kAskBeforeRemoving) != "False";
}

void DesktopController::SetAskBeforeRemoving(bool ask) {
  engine_.SetFrontEndValue(kAskBeforeRemoving, ask ? "True" : "False");
}

DesktopController::PartialFiles DesktopController::RemovedPartialFiles() const {
  const std::string choice = engine_.FrontEndValue(kRemovedPartialFiles);
  return choice == "Keep"     ? PartialFiles::Keep
         : choice == "Delete" ? PartialFiles::Delete
                              : PartialFiles::Ask;
}

void DesktopController::SetRemovedPartialFiles(PartialFiles choice) {
  engine_.SetFrontEndValue(kRemovedPartialFiles, choice == PartialFiles::Keep     ? "Keep"
                                                 : choice == PartialFiles::Delete ? "Delete"
                                                                                  : "");
}

bool DesktopController::Rename(engine::Serial serial, const std::string &typed) {
  const std::optional<engine::ItemView> item = engine_.Find(serial);
  const engine::RenameOutcome outcome = engine_.Rename(serial, typed);
  using Refusal = engine::RenameOutcome::Refusal;
  if (!item || outcome.refusal == Refusal::None || outcome.refusal == Refusal::NoName)
    return static_cast<bool>(outcome);
  const std::string why = outcome.refusal == Refusal::Taken
                              ? "a file of that name is in the folder already"
                          : outcome.refusal == Refusal::FileGone
                              ? "the file is no longer in its folder, " + item->folder
                              : std::string(std::strerror(outcome.error));
  hosts_.messages.Show("Vidtrawl could not rename " + item->fileName.value_or(item->address) +
                           " to " + outcome.name + ": " + why + ".",
                       Box::Buttons::Ok, Box::Icon::Exclamation);
  return false;
}

void DesktopController::OpenFile(engine::Serial serial) {
  const std::optional<engine::ItemView> item = engine_.Find(serial);
  if (!item || item->phase != engine::Phase::Complete || !item->fileName)
    return;
  const std::string path =
      std::filesystem::absolute(std::filesystem::path(item->folder) / *item->fileName).string();
  Open(path, path);
}

void DesktopController::OpenFolder(engine::Serial serial) {
  const std::optional<engine::ItemView> item = engine_.Find(serial);
  if (!item)
    return;
  // Absolute, as the pass that wrote there found it: a relative folder
  // starting with "-" must not reach the opener as an option.
  const std::string folder =
      std::filesystem::absolute(item->folder.empty() ? engine_.DownloadDir() : item->folder)
          .string();
  Open(folder, "the folder " + folder);
}

void DesktopController::CopyAddresses(const std::vector<engine::Serial> &serials) {
  std::string text;
  for (const engine::Serial serial : serials)
    if (const std::optional<engine::ItemView> item = engine_.Find(serial))
      text += (text.empty() ? "" : "\n") + item->address;
  if (!text.empty())
    hosts_.clipboard.Copy(text);
}

void DesktopController::CopyText(const std::string &text) {
  if (!text.empty())
    hosts_.clipboard.Copy(text);
}

void DesktopController::Retry(const std::vector<engine::Serial> &serials) {
  engine_.Retry(serials);
}

void DesktopController::SetSpeedLimit(std::uint64_t bytesPerSecond) {
  ChangeSettings([&](engine::Config &config) { config.speedLimit = bytesPerSecond; });
}

bool DesktopController::ChangeSettings(const std::function<void(engine::Config &)> &change) {
  const bool watched = engine_.Settings().monitor;
  const bool taken = Configure(change);
  engine_.SaveSettings();
  if (engine_.Settings().monitor != watched)
    hosts_.clipboard.Watch(engine_.Settings().monitor);
  if (activePage_ == kAboutPage)
    TellExtractor();
  ShowSettings();
  if (settingsChanged_)
    settingsChanged_();
  return taken;
}

void DesktopController::Pause(const std::vector<engine::Serial> &serials) {
  engine_.Pause(serials);
}

void DesktopController::Resume(const std::vector<engine::Serial> &serials) {
  engine_.Resume(serials);
}

void DesktopController::AddAndStart(const std::vector<std::string> &addresses) {
  if (addresses.empty())
    return;
  const std::size_t before = engine_.Count();
  const std::size_t dropped = engine_.Add(addresses);
  std::vector<engine::Serial> added;
  for (std::size_t index = before; index < engine_.Count(); ++index)
    added.push_back(engine_.SerialAt(index));
  Added({added, dropped}, true);
}

void DesktopController::HandedOver(const std::vector<std::string> &addresses) {
  if (addresses.empty())
    hosts_.window.BringForward();
  else
    AddAndStart(addresses);
}

void DesktopController::AddFromBrowser(const std::vector<channel::HandedItem> &items) {
  Added(browserItems_.Add(items), true);
}

void DesktopController::Exit() {
  exitTimer_.stop();
  // A second request while the first is ending (a close during the
  // question, say) has nothing left to do.
  if (ending_)
    return;
  if (engine_.Downloading()) {
    if (hosts_.messages.Show(kConfirmExitText, Box::Buttons::YesNo, Box::Icon::Question) !=
        Box::Answer::Yes)
      return;
    Stop(); // a pass still winding down when the program ends is told too
  }
  ending_ = true;
  hosts_.window.StopFilters();
  hosts_.clipboard.Watch(false); // in memory: the saved setting stays
  Configure([](engine::Config &config) { config.monitor = false; });
  hosts_.window.UnloadMenu();
  hosts_.window.EndProcess();
}

void DesktopController::OpenHelp() {
  Open(helpFile_, "its help",
       "The help document is " + helpFile_ + "; you can open it in a web browser.");
}

void DesktopController::TrayDownload() {
  if (engine_.Downloading()) {
    StartOrStop();
    return;
  }
  wholeList_ = true;
  startTimer_.start();
}

void DesktopController::TrayMonitor(bool wasChecked) {
  Monitor(!wasChecked);
  ShowSettings();
}

void DesktopController::TrayExit() {
  exitTimer_.start();
}

} // namespace vidtrawl::gui
