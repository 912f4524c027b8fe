#include "cli/CliApp.h"

#include "cli/ConsoleHosts.h"
#include "cli/ConsoleMessageBox.h"
#include "cli/ConsoleOutput.h"
#include "cli/ConsolePump.h"
#include "cli/DemoServer.h"
#include "cli/Interrupt.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"
#include "cli/ProgressTracker.h"
#include "cli/ResultTable.h"
#include "list/Status.h"
#include "listview/HeadlessGrid.h"
#include "resolve/LinkFetcher.h"
#include "scheduler/Engine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include <unistd.h>

namespace vidtrawl::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kRedrawInterval{200};

void Err(const std::string &text) {
  WriteAll(STDERR_FILENO, text);
}

// Where this run's connections go: the demo's server first (it must reach
// it whatever else is mapped), then --connect-to, then VIDTRAWL_CONNECT_TO.
transfer::ConnectionMap MakeConnections(const CliOptions &options, int demoPort) {
  transfer::ConnectionMap map;
  if (demoPort > 0)
    map.Add("::127.0.0.1:" + std::to_string(demoPort));
  for (const std::string &entry : options.connectTo)
    map.Add(entry);
  if (const char *env = std::getenv("VIDTRAWL_CONNECT_TO"); env != nullptr && *env != '\0')
    if (!map.AddList(env))
      Err("vidtrawl-cli: ignoring malformed entries of VIDTRAWL_CONNECT_TO\n");
  return map;
}

// A new folder under the system's temporary folder for the demo's files.
std::optional<std::string> MakeDemoFolder() {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  std::string folder = ((ec ? fs::path("/tmp") : temp) / "vidtrawl-demo-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr)
    return std::nullopt;
  return folder;
}

bool IsResultCode(const std::string &result) {
  return result == resolve::kResultNoSupportedSite || result == resolve::kResultPageNotFetched ||
         result == resolve::kResultNoVideoAddress;
}

// Everything one run needs, wired together.
class Run {
public:
  Run(const CliOptions &options, const transfer::ConnectionMap &connections)
      : options_(options), traits_(DetectConsole()), pump_(InterruptFlag()),
        messages_([](const std::string &text) { Err(text); }),
        engine_(scheduler::EngineHosts{pump_, messages_, grid_, movie_, online_}, connections) {
    pump_.SetState(&engine_.state);
    engine_.settings.LoadSettings(movie_, [](bool) {}); // the console never watches the clipboard
  }

  int ResolveOnly(const std::vector<std::string> &urls) {
    bool allAddresses = true;
    for (const std::string &url : urls) {
      if (InterruptRequested())
        break;
      engine_.state.bStopRequested = false;
      std::string result;
      try {
        result = engine_.fetcher.GetDownloadLink(url);
      } catch (const std::exception &error) {
        Err("vidtrawl-cli: " + std::string(error.what()) + "\n");
        result = resolve::kResultPageNotFetched;
      }
      if (IsResultCode(result))
        allAddresses = false;
      if (!WriteAll(STDOUT_FILENO, TsvField(url) + "\t" + TsvField(result) + "\n"))
        return kExitIncomplete;
    }
    if (InterruptRequested())
      return kExitInterrupted;
    return allAddresses ? kExitComplete : kExitIncomplete;
  }

  // Adds the addresses, runs one pass and reports. `expectErrors`: addresses
  // that are meant to end "ERROR" (the demo's unsupported one).
  int Download(const std::vector<std::string> &urls, const std::string &dir,
               const std::vector<std::string> &expectErrors) {
    engine_.settings.sDownloadDir = dir;
    // Nothing here reads a file while it is being received: write it in
    // large blocks (every byte is on disk when its transfer ends).
    engine_.download.SetWriteBehind(true);
    for (const std::string &url : urls)
      engine_.adder.AddLink(url);

    std::unique_ptr<ProgressView> view = MakeView();
    messages_.SetProgressView(view.get());
    ProgressTracker tracker(engine_.items, engine_.state, engine_.download, dir);
    if (!options_.quiet)
      pump_.StartTicks([&] { view->Show(tracker.Sample(ProgressTracker::Clock::now())); },
                       kRedrawInterval);

    if (!InterruptRequested()) {
      view->Show(tracker.Sample(ProgressTracker::Clock::now()));
      try {
        engine_.pass.StartDownloading();
      } catch (const std::exception &error) {
        Err("vidtrawl-cli: " + std::string(error.what()) + "\n");
      }
    }
    pump_.StopTicks();
    view->Finish(tracker.Sample(ProgressTracker::Clock::now()));
    messages_.SetProgressView(nullptr);

    Report(dir);
    if (InterruptRequested())
      return kExitInterrupted;
    for (const list::DownloadItem &item : engine_.items) {
      const bool expectedError =
          std::find(expectErrors.begin(), expectErrors.end(), item.Video_URL) != expectErrors.end();
      if (expectedError ? item.Status != list::kError : item.Status != list::kComplete)
        return kExitIncomplete;
    }
    return kExitComplete;
  }

private:
  std::unique_ptr<ProgressView> MakeView() const {
    auto writer = [](const std::string &text) { Err(text); };
    if (options_.quiet)
      return std::make_unique<SilentProgressView>();
    if (traits_.terminal)
      return std::make_unique<LiveProgressView>(
          writer, LiveProgressView::Style{traits_.unicode, traits_.colour},
          [] { return TerminalSizeOf(STDERR_FILENO); });
    return std::make_unique<PlainProgressView>(writer);
  }

  void Report(const std::string &dir) {
    if (options_.tsv)
      WriteAll(STDOUT_FILENO, TsvLines(engine_.items));
    if (!options_.quiet) {
      const std::string table = "\n" + ResultTable(engine_.items, dir);
      WriteAll(options_.tsv ? STDERR_FILENO : STDOUT_FILENO, table);
    }
  }

  const CliOptions &options_;
  ConsoleTraits traits_;
  ConsolePump pump_;
  ConsoleMessageBox messages_;
  listview::HeadlessGrid grid_;
  NoMovie movie_;
  AssumeOnline online_;
  scheduler::Engine engine_;
};

std::string SettingsDownloadDir() {
  NoMovie movie;
  settings::Settings settings;
  settings.LoadSettings(movie, [](bool) {});
  return settings.sDownloadDir;
}

} // namespace

int RunCli(const CliOptions &options, const std::string &program) {
  InstallInterruptHandlers();

  // The folder of this run: the one asked for must exist before anything starts.
  std::string dir;
  if (!options.resolveOnly) {
    if (options.dir) {
      std::error_code ec;
      fs::create_directories(*options.dir, ec);
      if (!fs::is_directory(*options.dir)) {
        Err(program + ": cannot create the download folder '" + *options.dir + "'" +
            (ec ? ": " + ec.message() : std::string()) + "\n" + UsageText(program));
        return kExitUsage;
      }
      dir = *options.dir;
    } else if (options.demo) {
      const std::optional<std::string> folder = MakeDemoFolder();
      if (!folder) {
        Err(program + ": cannot create a folder for the demo under the temporary folder\n");
        return kExitIncomplete;
      }
      dir = *folder;
    } else {
      dir = SettingsDownloadDir();
    }
  }

  std::unique_ptr<DemoServer> demo;
  std::vector<std::string> urls = options.urls;
  std::vector<std::string> expectErrors;
  if (options.demo) {
    demo = std::make_unique<DemoServer>();
    if (!demo->Start()) {
      Err(program + ": the demo server could not start\n");
      return kExitIncomplete;
    }
    urls.clear();
    for (const DemoPage &page : TheDemoSite().pages)
      urls.push_back(page.address);
    urls.push_back(TheDemoSite().unsupportedAddress);
    expectErrors.push_back(TheDemoSite().unsupportedAddress);
    if (!options.quiet && !options.resolveOnly)
      Err("Vidtrawl demo: a local server plays the twelve sites on 127.0.0.1:" +
          std::to_string(demo->Port()) + "; downloading into " + dir + "\n");
  }

  const transfer::ConnectionMap connections = MakeConnections(options, demo ? demo->Port() : 0);
  try {
    Run run(options, connections);
    if (options.resolveOnly)
      return run.ResolveOnly(urls);
    const int status = run.Download(urls, dir, expectErrors);
    if (options.demo && !options.quiet)
      WriteAll(options.tsv ? STDERR_FILENO : STDOUT_FILENO,
               "\nThe demo's files are in " + dir + "\n");
    return status;
  } catch (const std::exception &error) {
    Err(program + ": " + error.what() + "\n");
    return InterruptRequested() ? kExitInterrupted : kExitIncomplete;
  }
}

} // namespace vidtrawl::cli
