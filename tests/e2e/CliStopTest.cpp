// Ctrl-C while a file is being received acts as a confirmed stop.
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kVideoSize = 8 * 1024 * 1024;
constexpr std::size_t kPiece = 16 * 1024;

class CliInterruptTest : public ::testing::TestWithParam<int> {
protected:
  void SetUp() override {
    server.server().Get("/slow", [](const httplib::Request &, httplib::Response &res) {
      res.set_content("so.addVariable(\"file\",\"http://x.putfile.com/slow.flv\");", "text/html");
    });
    server.server().Get("/slow.flv", [this](const httplib::Request &, httplib::Response &res) {
      // Throttled: the whole file would take minutes.
      res.set_content_provider(kVideoSize, "video/x-flv",
                               [this](size_t offset, size_t, httplib::DataSink &sink) {
                                 const std::string piece(kPiece, 'v');
                                 const size_t length = std::min(kPiece, kVideoSize - offset);
                                 if (!sink.write(piece.data(), length))
                                   return false;
                                 sent += length;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 return true;
                               });
    });
    server.Start();
  }

  TempDir home, downloads;
  LocalServer server;
  std::atomic<std::size_t> sent{0};
};

TEST_P(CliInterruptTest, StopsTheTransferKeepsThePartialFileAndExits130) {
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  ChildProcess child(CliBinary(),
                     {"--tsv", "-d", downloads.path().string(), "http://media.putfile.com/slow",
                      "http://media.putfile.com/later"},
                     env);
  // Wait until the transfer is well under way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (sent < 16 * kPiece && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_GE(sent.load(), 16 * kPiece) << "the transfer never started";
  child.Signal(GetParam());
  const ChildProcess::Result result = child.Wait(std::chrono::seconds(30));

  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 130) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u) << result.out;
  EXPECT_EQ(Fields(lines[0])[2], "slow.flv");
  EXPECT_EQ(Fields(lines[0])[3], "Cancelled");
  EXPECT_EQ(Fields(lines[1])[3], "Waiting"); // later items keep their status
  const fs::path partial = downloads / "slow.flv";
  ASSERT_TRUE(fs::exists(partial));
  EXPECT_GT(fs::file_size(partial), 0u);
  EXPECT_LT(fs::file_size(partial), kVideoSize);
  EXPECT_NE(result.err.find("[1] Cancelled slow.flv"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto &info) {
                           return std::string(info.param == SIGINT ? "Sigint" : "Sigterm");
                         });

} // namespace
} // namespace vidtrawl::testing
