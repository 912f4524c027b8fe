// Ctrl-C acts as a confirmed stop, also while the program reads its addresses: the run ends at
// once. (The engine's tests stop every wait of a pass while its server says nothing.)
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// An input that never ends: Ctrl-C ends the reading at once, and nothing is downloaded.
TEST(CliStopReading, CtrlCWhileReadingStandardInputEndsAtOnce) {
  TempDir home, downloads;
  const fs::path fifo = home / "input";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int writer = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC); // held open, says one line
  ASSERT_EQ(::write(writer, "http://media.putfile.com/a\n", 27), 27);
  ChildProcess child(CliBinary(), {"--tsv", "-d", (downloads / "v").string(), "-i", "-"},
                     CliEnvironment(home.path()), fifo);
  // The line read is the program at work, its handlers set, and reading on.
  int unread = 1;
  for (int i = 0; i < 2000 && unread > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(::ioctl(writer, FIONREAD, &unread), 0);
  }
  ASSERT_EQ(unread, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto asked = std::chrono::steady_clock::now();
  child.Signal(SIGINT);
  const ChildProcess::Result result = child.Wait(std::chrono::seconds(30));
  ::close(writer);
  // Not held until the input ends (the writer is open for the whole wait).
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(10));
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(fs::exists(downloads / "v"));
}

} // namespace
} // namespace vidtrawl::testing
