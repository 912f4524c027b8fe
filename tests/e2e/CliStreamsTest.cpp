// vidtrawl-cli downloading streams from nginx: a long one stopped half-way and run again, and the
// progress it prints on the way.
#include "e2e/ChildProcess.h"
#include "support/Nginx.h"
#include "support/StreamFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <map>
#include <regex>
#include <thread>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// nginx serving the fixtures named, each under /NAME/, and under /slow/NAME/ at 50 KB/s a
// connection.
class StreamServer {
public:
  explicit StreamServer(std::initializer_list<const char *> fixtures) {
    fs::create_directories(dir / "www");
    for (const char *name : fixtures)
      fs::create_directory_symlink(StreamFixtureDir(FindStreamFixture(name)), dir / "www" / name);
    nginx = std::make_unique<Nginx>(dir.path(),
                                    "types { application/vnd.apple.mpegurl m3u8; "
                                    "video/mp2t ts; application/dash+xml mpd; video/mp4 mp4 "
                                    "m4s; } location /slow/ { alias www/; limit_rate 50k; }");
  }
  std::string Address(const char *fixture, bool slow = false) const {
    return nginx->Url((slow ? "/slow/" : "/") + std::string(fixture) + "/" +
                      FindStreamFixture(fixture).entry);
  }
  // The segments of the fixture that the log shows sent whole, as often as each was.
  std::map<std::string, int> Whole(const std::string &log, const char *fixture) const {
    std::map<std::string, int> whole;
    const std::regex line("\"GET /" + std::string(fixture) + "/(\\S+\\.ts) HTTP/1.1\" 200 (\\d+)");
    for (std::sregex_iterator at(log.begin(), log.end(), line), end; at != end; ++at)
      if (std::stoull((*at)[2]) ==
          fs::file_size(StreamFixtureDir(FindStreamFixture(fixture)) / std::string((*at)[1])))
        ++whole[(*at)[1]];
    return whole;
  }

  TempDir dir;
  std::unique_ptr<Nginx> nginx;
};

// A 5,000-fragment stream stopped half-way, by Ctrl-C or by a kill, goes on in the next run
// without asking again for a fragment it had whole: at most for those in flight (4 at once) and,
// after a kill, those whose notes the writer had yet to write (WriteBehind::kMostTasks, and one
// more a connection: a fragment may end while its connection is held back).
TEST(CliStreams, AStreamStoppedHalfWayFetchesNoStoredFragmentAgain) {
  VIDTRAWL_NEEDS_TOOL(Nginx::Installed(), "nginx");
  StreamServer server({"hls-many"});
  TempDir home;
  const std::map<std::string, std::string> env = CliEnvironment(home.path());
  const std::vector<std::string> frames = LavfiFrameHashes(kManyFrames);
  for (const int signal : {SIGINT, SIGKILL}) {
    SCOPED_TRACE(signal == SIGINT ? "Ctrl-C" : "kill -9");
    const std::vector<std::string> args{"-q", "-d", (home / strsignal(signal)).string(),
                                        server.Address("hls-many")};
    const std::size_t before = server.nginx->AccessLog().size();
    const auto answers = [&] { // the playlist's, and the segments'
      const std::string log = server.nginx->AccessLog();
      return std::count(log.begin() + static_cast<std::ptrdiff_t>(before), log.end(), '\n');
    };
    {
      ChildProcess child(CliBinary(), args, env);
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (answers() < 2500 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      child.Signal(signal);
      EXPECT_EQ(child.Wait().exitCode, signal == SIGINT ? 130 : -1);
    }
    const std::string first = server.nginx->AccessLog().substr(before);
    // 5,000 fragments take a sanitizer build on a loaded machine more than a minute.
    const ChildProcess::Result again =
        ChildProcess(CliBinary(), args, env).Wait(std::chrono::minutes(5));
    ASSERT_EQ(again.exitCode, 0) << again.err;
    const std::map<std::string, int> had = server.Whole(first, "hls-many");
    EXPECT_GT(had.size(), 2000u);
    EXPECT_LT(had.size(), 4900u);
    int refetched = 0;
    for (const auto &[file, times] :
         server.Whole(server.nginx->AccessLog().substr(before + first.size()), "hls-many"))
      refetched += had.contains(file) ? times : 0;
    EXPECT_LE(refetched, signal == SIGINT ? 4 : 4 + 4 + 4);
    EXPECT_EQ(VideoFrameHashes(home / strsignal(signal) / "index.mp4"), frames);
  }
}

// While a throttled stream arrives, the console tells its bytes of a total estimated within a
// fifth of the truth once a quarter has come, and never "0:00 left" while fragments remain: an
// HLS stream one fragment at a time (its size told by the first fragment's bytes a second), and
// a DASH representation's one file (its size told by its answer).
TEST(CliStreams, TheConsoleTellsAStreamsSizeAndTimeLeftTruly) {
  VIDTRAWL_NEEDS_TOOL(Nginx::Installed(), "nginx");
  StreamServer server({"hls-fmp4", "dash-ondemand"});
  TempDir home;
  std::map<std::string, std::string> env = CliEnvironment(home.path());
  env["VIDTRAWL_PROGRESS"] = "live"; // the live line, into a pipe
  env["COLUMNS"] = "200";
  const auto bytes = [](const std::string &number, const std::string &unit) { // "61.2 KB"
    return std::stod(number) * (unit == "MB" ? 1 << 20 : unit == "KB" ? 1024 : 1);
  };
  const std::regex sample(
      "([\\d.]+) (Bytes|KB|MB) of about ([\\d.]+) (Bytes|KB|MB), (\\d+)/(\\d+) fragments"
      "(?:  \\S+ \\S+/s)?(?:  (\\d+:\\d\\d) left)?");
  for (const char *fixture : {"hls-fmp4", "dash-ondemand"}) {
    SCOPED_TRACE(fixture);
    const bool hls = fixture == std::string("hls-fmp4");
    const ChildProcess::Result run = RunCli(
        {"-N", hls ? "1" : "4", "-d", (home / fixture).string(), server.Address(fixture, true)},
        env);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    double truth = 0; // the stream's files (in the C locale, DASH's first main audio)
    for (const fs::directory_entry &file :
         fs::directory_iterator(StreamFixtureDir(FindStreamFixture(fixture))))
      if (file.path().extension() != ".m3u8" && file.path().extension() != ".mpd" &&
          (hls || file.path().stem() == "video" || file.path().stem() == "de"))
        truth += static_cast<double>(file.file_size());
    int judged = 0;
    for (std::sregex_iterator at(run.err.begin(), run.err.end(), sample), end; at != end; ++at) {
      const double got = bytes((*at)[1], (*at)[2]), total = bytes((*at)[3], (*at)[4]);
      if ((*at)[5] == (*at)[6])
        continue; // every fragment in
      EXPECT_NE((*at)[7], "0:00") << (*at)[0];
      if (got >= truth / 4) {
        ++judged;
        EXPECT_LT(std::abs(total - truth), truth / 5) << (*at)[0] << " of " << truth;
      }
    }
    EXPECT_GT(judged, 0) << run.err;
  }
}

} // namespace
} // namespace vidtrawl::testing
