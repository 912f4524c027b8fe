// Ctrl-C or SIGTERM acts as a confirmed stop, also while a server is
// silent: every wait ends at once and nothing new starts afterwards.
#include "e2e/ChildProcess.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum class Silent { Page, HeaderRequest, Transfer, Resolver };

struct StopCase {
  const char *name;
  Silent silent;
  int signal;
  std::string page;
  std::size_t requests; // the one that is never answered is the last one made
};

// A PutFile page and its video, or a YouTube page whose player host (the redirect resolver's) is
// this server too; the step `silent` gets no answer (the transfer's after its first 10,000 bytes).
RawServer::Reply Answer(const std::string &request, Silent silent) {
  const RawServer::Reply silence{"", true};
  const auto is = [&](const char *start) { return request.rfind(start, 0) == 0; };
  const std::string head = RawResponse("HTTP/1.1 200 OK", "Content-Length: 100000\r\n");
  if (is("HEAD "))
    return silent == Silent::HeaderRequest && is("HEAD /v.flv")
               ? silence
               : RawServer::Reply{is("HEAD /v.flv") ? head : RawResponse("HTTP/1.1 200 OK", "")};
  if (is("GET /page"))
    return silent == Silent::Page
               ? silence
               : RawServer::Reply{
                     RawResponse("HTTP/1.1 200 OK", "",
                                 "so.addVariable(\"file\",\"http://x.putfile.com/v.flv\");")};
  if (is("GET /watch"))
    return RawServer::Reply{RawResponse(
        "HTTP/1.1 200 OK", "",
        "<embed src=\"/p.swf\" flashvars=\"a=1;http://www.youtube.com/v/x?video_id=x&l=1\">")};
  if (is("GET /v.flv"))
    return RawServer::Reply{head + std::string(10000, 'v'), true};
  return silence;
}

class CliStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(CliStopTest, EndsAtOnceAndStartsNothingNew) {
  const StopCase &c = GetParam();
  RawServer server([&c](const std::string &request) { return Answer(request, c.silent); });
  TempDir home, downloads;
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  ChildProcess child(
      CliBinary(),
      {"--tsv", "-d", downloads.path().string(), c.page, "http://media.putfile.com/later"}, env);
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (server.Requests().size() < c.requests && Clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(server.Requests().size(), c.requests) << "the silent step was never reached";
  std::this_thread::sleep_for(std::chrono::milliseconds(300)); // well inside the wait

  const auto asked = Clock::now();
  child.Signal(c.signal);
  const ChildProcess::Result result = child.Wait(std::chrono::seconds(30));
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked);
  std::cout << "stop during a silent " << c.name << ": exit " << took.count() << " ms after the "
            << "signal\n";

  ASSERT_FALSE(result.timedOut);
  // The old wait lasted until the server's time-out (a minute); a loaded
  // machine may add a few hundred milliseconds to starting and ending.
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_EQ(server.Requests().size(), c.requests); // nothing new started
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_EQ(Fields(lines[0])[1], c.page); // the item is as it was, for the next pass
  EXPECT_EQ(Fields(lines[0])[3], "Cancelled");
  EXPECT_EQ(Fields(lines[1])[3], "Waiting"); // later items keep their status
  EXPECT_FALSE(fs::exists(downloads / "v.flv"));
  if (c.silent == Silent::Transfer) {
    EXPECT_EQ(ReadFile(downloads / "v.flv.vidtrawl-part"), std::string(10000, 'v'));
    EXPECT_NE(result.err.find("[1] Cancelled v.flv"), std::string::npos) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Waits, CliStopTest,
                         ::testing::Values(StopCase{"page", Silent::Page, SIGINT,
                                                    "http://media.putfile.com/page", 1},
                                           StopCase{"headerrequest", Silent::HeaderRequest, SIGTERM,
                                                    "http://media.putfile.com/page", 2},
                                           StopCase{"transfer", Silent::Transfer, SIGTERM,
                                                    "http://media.putfile.com/page", 3},
                                           StopCase{"resolver", Silent::Resolver, SIGINT,
                                                    "http://www.youtube.com/watch?v=x", 2}),
                         [](const auto &info) { return std::string(info.param.name); });

// An input that never ends: Ctrl-C ends the reading at once, and nothing is downloaded.
TEST(CliStopReading, CtrlCWhileReadingStandardInputEndsAtOnce) {
  TempDir home, downloads;
  const fs::path fifo = home / "input";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC); // held open, says one line
  ASSERT_EQ(::write(writer, "http://media.putfile.com/a\n", 27), 27);
  ChildProcess child(CliBinary(), {"--tsv", "-d", (downloads / "v").string(), "-i", "-"},
                     CliEnvironment(home.path()), fifo);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto asked = Clock::now();
  child.Signal(SIGINT);
  const ChildProcess::Result result = child.Wait(std::chrono::seconds(30));
  ::close(writer);
  EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(1000));
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(fs::exists(downloads / "v"));
}

} // namespace
} // namespace vidtrawl::testing
