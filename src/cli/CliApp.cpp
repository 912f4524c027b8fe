#include "cli/CliApp.h"

#include "base/AsciiCase.h"
#include "base/ByteRate.h"
#include "base/ControlCharacters.h"
#include "base/FileDescriptor.h"
#include "base/TrimBlanks.h"
#include "cli/ConsoleOutput.h"
#include "cli/DemoServer.h"
#include "cli/FormatTable.h"
#include "cli/InputFile.h"
#include "cli/Interrupt.h"
#include "cli/ItemLines.h"
#include "cli/JsonLines.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"
#include "cli/ProgressTracker.h"
#include "cli/ResultTable.h"
#include "cli/TraceLines.h"
#include "engine/Engine.h"
#include "engine/PollLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <system_error>
#include <unordered_set>

#include <unistd.h>

namespace vidtrawl::cli {
namespace {

namespace fs = std::filesystem;
using base::WriteAll;

constexpr std::chrono::milliseconds kRedrawInterval{200};

void Err(const std::string &text) {
  WriteAll(STDERR_FILENO, text);
}

// Where this run's connections go: the demo's server first (it must reach
// it whatever else is mapped), then --connect-to, then VIDTRAWL_CONNECT_TO.
std::vector<std::string> MakeConnections(const CliOptions &options, int demoPort) {
  std::vector<std::string> entries;
  if (demoPort > 0)
    entries.push_back("::127.0.0.1:" + std::to_string(demoPort));
  entries.insert(entries.end(), options.connectTo.begin(), options.connectTo.end());
  bool wellFormed = true;
  const std::vector<std::string> environment = engine::ConnectToFromEnvironment(&wellFormed);
  if (!wellFormed)
    Err("vidtrawl-cli: ignoring malformed entries of VIDTRAWL_CONNECT_TO\n");
  entries.insert(entries.end(), environment.begin(), environment.end());
  return entries;
}

std::string ListFullText(std::size_t dropped) {
  const std::string what =
      dropped == 1 ? "1 address was" : std::to_string(dropped) + " addresses were";
  return "The download list is full (" + std::to_string(engine::kListCapacity) +
         " items): " + what + " not added.";
}

// A new folder under the system's temporary folder: the demo's files, a file for stdout.
std::optional<std::string> MakeTempFolder(const std::string &purpose) {
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  std::string folder =
      ((ec ? fs::path("/tmp") : temp) / ("vidtrawl-" + purpose + "-XXXXXX")).string();
  if (::mkdtemp(folder.data()) == nullptr)
    return std::nullopt;
  return folder;
}

// Everything one run needs, wired together: the engine on a poll loop of
// the console's own, which turns until the pass (or the resolution) ends.
class Run {
public:
  Run(const CliOptions &options, std::vector<std::string> connections)
      : options_(options), traits_(DetectConsole()), trace_(Err, view_),
        engine_(engine::Hosts{loop_}, engine::Options{std::move(connections), std::nullopt,
                                                      options.verbose ? &trace_ : nullptr}) {
    trace_.Follow(&engine_);
    WakeOnInterrupt(&loop_);
    if (!options.ignoreConfig && engine_.LoadSettings() == engine::SettingsRead::TooLarge)
      Tell("The settings file " + engine_.SettingsFile().string() +
           " is too large to be Vidtrawl's: it is left as it is, and the default settings are "
           "used.");
    // The options of this run over the settings: headers add to theirs.
    engine::Config config = engine_.Settings();
    // A limit or a quality chosen in the window would hold this run back unseen.
    if (!options_.limitRate && config.speedLimit > 0)
      Tell("the settings file limits the rate to " + base::ByteRateText(config.speedLimit) +
           " bytes a second (--limit-rate 0 lifts it)");
    if (!options_.quality &&
        base::LowerAscii(config.preferredQuality) != engine::Config{}.preferredQuality)
      Tell("the settings file asks for the quality " + config.preferredQuality +
           " (-f best takes the best)");
    config.knownSitesOnly = config.knownSitesOnly || options_.knownSitesOnly;
    config.simultaneousDownloads = options_.jobs.value_or(config.simultaneousDownloads);
    config.connections = options_.connections.value_or(config.connections);
    config.retries = options_.retries.value_or(config.retries);
    config.speedLimit = options_.limitRate.value_or(config.speedLimit);
    config.fragments = options_.fragments.value_or(config.fragments);
    config.preferredQuality = options_.quality.value_or(config.preferredQuality);
    config.proxy = options_.proxy.value_or(config.proxy);
    config.userAgent = options_.userAgent.value_or(config.userAgent);
    config.referer = options_.referer.value_or(config.referer);
    config.cookies = options_.cookies.value_or(config.cookies);
    config.headers.insert(config.headers.end(), options_.headers.begin(), options_.headers.end());
    config.extractor = options_.extractor.value_or(config.extractor);
    config.extractorPlaylists = options_.noPlaylist ? engine::Config::Playlists::PageOnly
                                                    : engine::Config::Playlists::AddAll;
    engine_.Configure(std::move(config));
  }

  // The site extractor as -V tells it.
  std::string ExtractorLine() {
    std::optional<std::optional<std::string>> version;
    engine_.ReadExtractorVersion([&](std::optional<std::string> v) { version = std::move(v); });
    loop_.RunUntil([&] { return version.has_value() || InterruptRequested(); });
    return "site extractor: " +
           engine::ExtractorText(engine_.Settings().extractor, version.value_or(std::nullopt));
  }
  ~Run() { WakeOnInterrupt(nullptr); }
  Run(const Run &) = delete;
  Run &operator=(const Run &) = delete;

  // The download folder the settings file names, unless it is ignored; empty when none.
  std::string SettingsDownloadDir() const {
    return options_.ignoreConfig ? std::string() : engine_.SettingsDownloadDir();
  }

  // One direct file to stdout: downloaded as any into a folder of its own, then written out.
  // A stream is refused before anything is fetched of it.
  int ToStdout(const std::string &url, const std::string &program) {
    std::optional<engine::Resolution> resolution;
    engine_.ResolvePage(url, [&](const engine::Resolution &r) { resolution = r; });
    loop_.RunUntil([&] { return resolution.has_value() || InterruptRequested(); });
    if (!resolution)
      return kExitInterrupted;
    if (resolution->stream) {
      Err(UsageErrorText(program, "'--output -' writes a single file to stdout, and " + url +
                                      " is a stream: name its file instead"));
      return kExitUsage;
    }
    const std::optional<std::string> folder = MakeTempFolder("stdout");
    if (!folder) {
      Err(program + ": cannot create a folder for the file under the temporary folder\n");
      return kExitIncomplete;
    }
    int status = Download({url}, *folder, {});
    if (status == kExitComplete) {
      const engine::ItemView item = engine_.ItemAt(0);
      std::ifstream file(fs::path(item.folder) / item.fileName.value_or(""), std::ios::binary);
      std::string chunk(1 << 16, '\0');
      while (status == kExitComplete && file.read(chunk.data(), chunk.size()).gcount() > 0)
        if (!WriteAll(STDOUT_FILENO, std::string_view(chunk.data(), file.gcount())))
          status = WriteFailed("the file");
    }
    std::error_code ec;
    fs::remove_all(*folder, ec);
    return status;
  }

  int ResolveOnly(const std::vector<std::string> &urls) {
    bool allAddresses = true;
    for (const std::string &url : urls) {
      std::optional<engine::Resolution> resolution;
      engine_.ResolvePage(url, [&](const engine::Resolution &r) { resolution = r; });
      loop_.RunUntil([&] { return resolution.has_value() || InterruptRequested(); });
      if (!resolution)
        break;
      allAddresses = allAddresses && resolution->address.has_value();
      if (!WriteAll(STDOUT_FILENO, TsvField(url) + "\t" + TsvField(resolution->Text()) + "\n"))
        return WriteFailed("the results");
    }
    if (InterruptRequested())
      return kExitInterrupted;
    return allAddresses ? kExitComplete : kExitIncomplete;
  }

  // What each address offers, one table after the other on stdout; 0 when each was listed.
  int ListFormats(const std::vector<std::string> &urls) {
    bool allListed = true;
    for (const std::string &url : urls) {
      std::optional<engine::FormatList> list;
      engine_.ListFormats(url, [&](const engine::FormatList &listed) { list = listed; });
      loop_.RunUntil([&] { return list.has_value() || InterruptRequested(); });
      if (!list)
        return kExitInterrupted;
      if (list->fault) {
        allListed = false;
        Tell(url + ": " + engine::FaultText(*list->fault));
      } else if (!WriteAll(STDOUT_FILENO, FormatTable(url, *list))) {
        return WriteFailed("the formats");
      }
    }
    return allListed ? kExitComplete : kExitIncomplete;
  }

  // Adds the addresses, runs one pass and reports. `expectErrors`: addresses
  // that are meant to end "ERROR" (the demo's unsupported one).
  int Download(const std::vector<std::string> &urls, const std::string &dir,
               const std::vector<std::string> &expectErrors) {
    engine::Config config = engine_.Settings();
    config.downloadDir = dir;
    engine_.Configure(std::move(config));
    if (const std::size_t dropped = engine_.Add(urls); dropped > 0)
      Tell(ListFullText(dropped));
    // One address's own name, or the form of every name.
    if (const std::string &form = options_.output.value_or("-"); form != "-") {
      const bool typed = engine_.Count() == 1 && form.find_first_of("{/") == std::string::npos;
      for (std::size_t i = 0; i < engine_.Count(); ++i)
        if (typed)
          engine_.Rename(engine_.SerialAt(i), form);
        else
          engine_.SetNameTemplate(engine_.SerialAt(i), form);
      std::string unknown;
      for (const std::string &field : engine::UnknownNameFields(form))
        unknown += (unknown.empty() ? "{" : ", {") + field + "}";
      if (!unknown.empty())
        Tell("--output: " + unknown + " stands for nothing known here: NA in its place");
    }

    std::unique_ptr<ProgressView> view = MakeView();
    ProgressView *shown = view.get();
    view_ = shown;
    ItemLines lines(engine_, Err, shown);
    ProgressTracker tracker(engine_);
    host::Timer redraw(loop_);
    const std::function<void()> show = [&] {
      view->Show(tracker.Sample());
      redraw.Start(kRedrawInterval, show);
    };
    if (!InterruptRequested()) {
      engine_.StartPass();
      if (!options_.quiet)
        show();
      while (engine_.Downloading()) {
        loop_.RunOnce(std::chrono::seconds(1));
        if (InterruptRequested())
          engine_.RequestStop();
      }
    }
    redraw.Stop();
    view->Finish(tracker.Sample());
    shown = nullptr;
    view_ = nullptr;

    if (const int status = Report(dir); status != kExitComplete)
      return status;
    if (InterruptRequested())
      return kExitInterrupted;
    for (const engine::ItemView &item : engine_.Items()) {
      const bool expectedError =
          std::find(expectErrors.begin(), expectErrors.end(), item.address) != expectErrors.end();
      const engine::Phase wanted = expectedError ? engine::Phase::Failed : engine::Phase::Complete;
      if (item.phase != wanted)
        return kExitIncomplete;
    }
    return kExitComplete;
  }

private:
  // A note for the user: one line on stderr, clear of the progress display.
  void Tell(const std::string &text) {
    if (view_ != nullptr)
      view_->MakeRoomForMessage();
    Err(base::VisibleText("vidtrawl-cli: " + text) + "\n");
  }

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

  static int WriteFailed(const std::string &what) {
    Err("vidtrawl-cli: cannot write " + what + ": " + std::strerror(errno) + "\n");
    return kExitIncomplete;
  }

  // The records and the table, and where the files went; a failed write is
  // a failed run.
  int Report(const std::string &dir) {
    const std::vector<engine::ItemView> items = engine_.Items();
    if (options_.tsv && !WriteAll(STDOUT_FILENO, TsvLines(items)))
      return WriteFailed("the results");
    if (options_.json && !WriteAll(STDOUT_FILENO, JsonLines(items)))
      return WriteFailed("the results");
    // Where the files went is said always: a folder taken from the settings file is not the one
    // a user looks in first. A file for stdout has no folder to tell.
    const bool toStdout = options_.output == "-";
    const std::string folder = toStdout ? std::string() : FolderLine(dir);
    const int table = options_.tsv || options_.json || toStdout ? STDERR_FILENO : STDOUT_FILENO;
    if (!options_.quiet && !WriteAll(table, "\n" + ResultTable(items) + folder))
      return WriteFailed("the table");
    if (options_.quiet)
      Err(folder);
    return kExitComplete;
  }

  const CliOptions &options_;
  ConsoleTraits traits_;
  ProgressView *view_ = nullptr;
  TraceLines trace_;
  engine::PollLoop loop_;
  engine::Engine engine_;
};

} // namespace

std::string ExtractorVersionLine(const CliOptions &options) {
  Run run(options, {});
  return run.ExtractorLine();
}

int RunCli(const CliOptions &options, const std::string &program) {
  InstallInterruptHandlers();

  // Addresses as typed in an address bar: one with no scheme is a secure site's.
  std::vector<std::string> urls;
  for (const std::string &url : options.urls)
    urls.push_back(engine::TypedAddress(url));
  // Input files are read only while the list has room: an address the list
  // holds already takes none, and one beyond its capacity ends the reading
  // (the list then says it was not added).
  std::unordered_set<std::string> distinct;
  for (const std::string &url : urls)
    distinct.emplace(base::TrimBlanks(url));
  const auto take = [&](std::string address) {
    address = engine::TypedAddress(address);
    if (!distinct.insert(address).second)
      return true;
    urls.push_back(std::move(address));
    return distinct.size() <= engine::kListCapacity;
  };
  for (const std::string &input : options.inputFiles) {
    std::string error;
    const InputEnd end = ReadAddresses(input, InterruptFlag(), take, error);
    if (end == InputEnd::Interrupted)
      return kExitInterrupted;
    if (end == InputEnd::Failed) {
      Err(UsageErrorText(program, error));
      return kExitUsage;
    }
    if (end == InputEnd::Stopped) {
      Err(program + ": the rest of " + (input == "-" ? "standard input" : "'" + input + "'") +
          " was not read: the download list is full\n");
      break;
    }
  }
  if (!options.demo && urls.empty()) {
    Err(UsageErrorText(program, "no URL given"));
    return kExitUsage;
  }

  std::unique_ptr<DemoServer> demo;
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
  }

  try {
    Run run(options, MakeConnections(options, demo ? demo->Port() : 0));
    if (options.resolveOnly)
      return run.ResolveOnly(urls);
    if (options.listFormats)
      return run.ListFormats(urls);
    if (options.output == "-")
      return run.ToStdout(urls.front(), program);

    // The folder of this run: the one asked for (which must exist before anything starts), else
    // the demo's own, else the one the settings file names, else the current folder, as other
    // tools of the terminal save.
    std::string dir = run.SettingsDownloadDir();
    if (dir.empty()) {
      std::error_code ec;
      dir = fs::current_path(ec).string();
      if (ec) {
        Err(program + ": the current folder cannot be read: " + ec.message() + "\n");
        return kExitIncomplete;
      }
    }
    if (options.dir) {
      std::error_code ec;
      fs::create_directories(*options.dir, ec);
      if (!fs::is_directory(*options.dir)) {
        Err(UsageErrorText(program, "cannot create the download folder '" + *options.dir + "'" +
                                        (ec ? ": " + ec.message() : std::string())));
        return kExitUsage;
      }
      dir = *options.dir;
    } else if (options.demo) {
      const std::optional<std::string> folder = MakeTempFolder("demo");
      if (!folder) {
        Err(program + ": cannot create a folder for the demo under the temporary folder\n");
        return kExitIncomplete;
      }
      dir = *folder;
    }
    if (demo && !options.quiet)
      Err("Vidtrawl demo: a local server plays the " + std::to_string(TheDemoSite().pages.size()) +
          " sites on 127.0.0.1:" + std::to_string(demo->Port()) + "; downloading into " + dir +
          "\n");

    return run.Download(urls, dir, expectErrors);
  } catch (const std::exception &error) {
    Err(program + ": " + base::VisibleText(error.what()) + "\n");
    return InterruptRequested() ? kExitInterrupted : kExitIncomplete;
  }
}

} // namespace vidtrawl::cli
