// The Wayland clipboard reader under a headless sway, with copies made by wl-copy.
#include "gui/WaylandClipboardReader.h"
#include "support/HeadlessSway.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace vidtrawl::testing {
namespace {

using namespace std::chrono_literals;
using Reader = gui::WaylandClipboardReader;

// Copies `text`, `times` over, as `type`, on the compositor's clipboard.
void Copy(const HeadlessSway &sway, const char *type, const std::string &text, int times = 1) {
  const std::string command =
      "WAYLAND_DISPLAY='" + sway.Socket() + "' wl-copy --type '" + type + "' 2>/dev/null";
  FILE *copy = ::popen(command.c_str(), "w");
  for (int i = 0; i < times; ++i)
    std::fwrite(text.data(), 1, text.size(), copy);
  ::pclose(copy);
}

// The most memory this process has held, in kilobytes.
long PeakKilobytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:"))
      return std::stol(line.substr(6));
  return 0;
}

// How many wl-paste processes this process has started and not reaped.
int WlPasteChildren() {
  int children = 0;
  for (const auto &entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string pid, name, state;
    int parent = 0;
    if (stat >> pid >> name >> state >> parent && parent == ::getpid() && name == "(wl-paste)")
      ++children;
  }
  return children;
}

// A long text by its size and hash, so that a failure reads.
std::string Shown(const std::string &text) {
  return text.size() <= 80 ? text
                           : std::to_string(text.size()) + " bytes hashed " +
                                 std::to_string(std::hash<std::string>{}(text));
}

TEST(WaylandClipboardReader, EachCopiedTextIsDeliveredOnceInOrderAndNothingAfterStop) {
  HeadlessSway sway;
  const auto reader = Reader::Open({}, sway.Socket().c_str());
  VIDTRAWL_NEEDS_TOOL(sway.Valid() && reader && !std::system("command -v wl-copy >/dev/null"),
                      "sway or wl-clipboard");
  std::mutex mutex;
  std::vector<std::string> texts; // delivered
  const auto got = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return texts;
  };
  const std::string address = "http://www.putfile.com/video/1";
  Copy(sway, "text/plain;charset=utf-8", address + "?before"); // held at the start: not a copy
  reader->Start([&](const std::string &text) {
    std::lock_guard<std::mutex> lock(mutex);
    texts.push_back(Shown(text));
  });
  std::this_thread::sleep_for(300ms); // wl-paste has connected
  const long peakBefore = PeakKilobytes();
  // Copies: their type, text and how many times it is repeated, and whether they are delivered.
  const std::tuple<const char *, std::string, int, bool> cases[] = {
      {"text/plain;charset=utf-8", address, 1, true},
      {"text/plain", "lines\n>a record's start\r\n 68 74 70\n>", 1, true},
      {"text/plain", std::string(1 << 20, 'a'), 100, false},
      {"text/plain", std::string(8193, 'a'), 1, false},
      {"text/plain", std::string(8192, 'a'), 1, true},
      {"text/plain", std::string("a NUL\0byte", 10), 1, false},
      {"text/plain", "not UTF-8 \xff", 1, false},
      {"image/png", address + "?not-text", 1, false},
      {"UTF8_STRING", address + "?again", 1, true},
  };
  std::vector<std::string> expected;
  for (const auto &[type, text, times, delivers] : cases) {
    Copy(sway, type, text, times);
    if (delivers)
      expected.push_back(Shown(text));
    for (const auto end = std::chrono::steady_clock::now() + (delivers ? 5s : 300ms);
         std::chrono::steady_clock::now() < end && (!delivers || got() != expected);)
      std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(got(), expected);
  EXPECT_LT(PeakKilobytes() - peakBefore, 16 * 1024); // a 100 MB copy is never held

  reader->Stop();
  EXPECT_FALSE(reader->Running());
  EXPECT_EQ(WlPasteChildren(), 0);
  Copy(sway, "text/plain", address + "?after-stop");
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(got(), expected);
}

TEST(WaylandClipboardReader, SaysWhyWhenWlPasteCannotWatch) {
  std::promise<std::string> said;
  const auto reader = Reader::Open(
      [&](Reader::Ending ending, const std::string &message) {
        said.set_value((ending == Reader::Ending::kFailed ? "failed: " : "unsupported: ") +
                       message);
      },
      "/nonexistent/wayland-0"); // no compositor there
  VIDTRAWL_NEEDS_TOOL(reader, "wl-clipboard");
  reader->Start([](const std::string &) {});
  std::future<std::string> ending = said.get_future();
  ASSERT_EQ(ending.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(ending.get(), "failed: Failed to connect to a Wayland server");
}

} // namespace
} // namespace vidtrawl::testing
