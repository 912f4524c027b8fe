#include "gui/DesktopController.h"

#include "base/NumberScan.h"
#include "base/TrimBlanks.h"
#include "gui/MessageBox.h"
#include "gui/MovieContract.h"

#include <algorithm>
#include <filesystem>

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
  connect(&startTimer_, &QTimer::timeout, this, [this] { StartOrStop(); });
  connect(&exitTimer_, &QTimer::timeout, this, [this] { Exit(); });
  engine_.Subscribe(this);
}

DesktopController::~DesktopController() {
  engine_.Unsubscribe(this);
}

void DesktopController::Start(int major, int minor, int revision) {
  hosts_.movie.Set(movie::kAboutTxt, movie::AboutTxtValue(major, minor, revision));
  if (engine_.LoadSettings() == engine::SettingsRead::TooLarge)
    hosts_.messages.Show("The settings file " + engine_.SettingsFile().string() +
                             " is too large to be Vidtrawl's: it is left as it is, and the "
                             "default settings are used and not saved.",
                         Box::Buttons::Ok, Box::Icon::Exclamation);
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
  // A pass that runs without the toggle's knowledge (none should): a start
  // now would be no start.
  if (engine_.Downloading())
    return;
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
       }},
      {movie::kHelp, [](DesktopController &c) { c.OpenHelp(); }},
      {movie::kWebSite, [](DesktopController &c) { c.Open(c.webSite_, c.webSite_); }},
      {movie::kStartDownload, [](DesktopController &c) { c.startTimer_.start(); }},
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
  };
  for (const Row &row : kRows)
    if (row.command == command) {
      row.run(*this);
      return;
    }
}

void DesktopController::AddFromMovie() {
  const std::string url = hosts_.movie.Get(movie::kVideoUrl);
  if (!base::TrimBlanks(url).empty())
    Add({url});
}

void DesktopController::TellListFull(std::size_t dropped) {
  if (dropped > 0)
    hosts_.messages.Show(ListFullText(dropped), Box::Buttons::Ok, Box::Icon::Exclamation);
}

void DesktopController::Add(const std::vector<std::string> &addresses) {
  TellListFull(engine_.Add(addresses));
}

void DesktopController::AddText(const std::string &text) {
  TellListFull(engine_.AddText(text, true).dropped);
}

void DesktopController::Copied(const std::string &text) {
  // Whatever else the user copies is not the monitor's: it leaves no trace.
  if (!engine_.IsVideoPageAddress(text))
    return;
  const std::string address(base::TrimBlanks(text));
  Add({address});
  hosts_.movie.Set(movie::kVideoUrl, address);
  if (!engine_.Downloading())
    startTimer_.start();
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
  if (items.size() > 1 && engine_.FrontEndValue(kAskBeforeRemoving) != "False") {
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
      engine_.SetFrontEndValue(kAskBeforeRemoving, "False");
  }
  engine_.Remove(items);
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
  Configure([&](engine::Config &config) { config.speedLimit = bytesPerSecond; });
  engine_.SaveSettings();
}

void DesktopController::SetPreferredQuality(const std::string &quality) {
  if (Configure([&](engine::Config &config) { config.preferredQuality = quality; }))
    engine_.SaveSettings();
}

void DesktopController::Pause(const std::vector<engine::Serial> &serials) {
  engine_.Pause(serials);
}

void DesktopController::Resume(const std::vector<engine::Serial> &serials) {
  engine_.Resume(serials);
  if (!engine_.Downloading())
    startTimer_.start();
}

void DesktopController::AddAndStart(const std::vector<std::string> &addresses) {
  if (addresses.empty())
    return;
  Add(addresses);
  if (!engine_.Downloading())
    startTimer_.start();
}

void DesktopController::HandedOver(const std::vector<std::string> &addresses) {
  if (addresses.empty())
    hosts_.window.BringForward();
  else
    AddAndStart(addresses);
}

void DesktopController::AddFromBrowser(const std::vector<channel::HandedItem> &items) {
  TellListFull(browserItems_.Add(items));
  if (!engine_.Downloading())
    startTimer_.start();
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
  if (!engine_.Downloading())
    startTimer_.start();
  else
    StartOrStop();
}

void DesktopController::TrayMonitor(bool wasChecked) {
  Monitor(!wasChecked);
  ShowSettings();
}

void DesktopController::TrayExit() {
  exitTimer_.start();
}

} // namespace vidtrawl::gui
