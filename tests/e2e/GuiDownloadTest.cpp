// The desktop program for real, under Xvfb: a user types a page address
// into the movie, adds it, starts, and the video lands in the folder.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// How the address reaches the program: typed into the movie, or copied to
// the clipboard with the window shown or hidden.
class GuiDownload : public ::testing::TestWithParam<const char *> {};

TEST_P(GuiDownload, TheAddressIsDownloaded) {
  XvfbDisplay display;
  if (!display.Valid() || !ShellSucceeds("command -v xdotool && command -v xclip"))
    GTEST_SKIP() << "Xvfb, xdotool and xclip are needed (scripts/setup-deps installs them)";
  const bool typed = std::string(GetParam()) == "type";
  cli::DemoServer server(std::chrono::milliseconds(0));
  ASSERT_TRUE(server.Start());
  TempDir home;
  std::map<std::string, std::string> env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.Port());
  env["QT_QPA_PLATFORM"] = "xcb";
  env["DISPLAY"] = display.Name();
  // Typing needs no clipboard monitor; copying needs it on (as it is at first).
  if (typed)
    WriteFile(home / ".config/vidtrawl/registry.ini",
              "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=False\n");

  const cli::DemoPage &page = cli::TheDemoSite().pages[10];
  const fs::path video = home / "Downloaded Videos" / page.fileName;
  ChildProcess run("/bin/sh",
                   {VIDTRAWL_E2E_DIR "/gui_download.sh", VIDTRAWL_GUI_BINARY, GetParam(),
                    page.address, video.string()},
                   env);
  const ChildProcess::Result result = run.Wait(std::chrono::seconds(60));
  EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
  ASSERT_TRUE(fs::exists(video)) << result.err;
  EXPECT_GT(fs::file_size(video), 0u);
}

// The program killed in the middle of its list comes back with the same list: the item it was
// downloading is taken up again, and both videos arrive whole.
TEST(GuiRestart, TheListComesBackAndIsFinished) {
  XvfbDisplay display;
  if (!display.Valid() || !ShellSucceeds("command -v xdotool"))
    GTEST_SKIP() << "Xvfb and xdotool are needed (scripts/setup-deps installs them)";
  cli::DemoServer server(std::chrono::milliseconds(40)); // about 800 KB/s
  ASSERT_TRUE(server.Start());
  TempDir home;
  std::map<std::string, std::string> env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.Port());
  env["QT_QPA_PLATFORM"] = "xcb";
  env["DISPLAY"] = display.Name();
  WriteFile(home / ".config/vidtrawl/registry.ini",
            "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=False\n");
  const cli::DemoSite &demo = cli::TheDemoSite();
  const fs::path videos = home / "Downloaded Videos";
  const cli::DemoPage &first = demo.pages[1], &second = demo.pages[9];
  ChildProcess run("/bin/sh",
                   {VIDTRAWL_E2E_DIR "/gui_restart.sh", VIDTRAWL_GUI_BINARY, first.address,
                    second.address, (videos / first.fileName).string() + ".vidtrawl-part",
                    (videos / first.fileName).string(), (videos / second.fileName).string(),
                    (home / ".local/share/vidtrawl/list.json").string()},
                   env);
  const ChildProcess::Result result = run.Wait(std::chrono::seconds(90));
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  // As the killed program left it: the first item downloading, the second waiting.
  EXPECT_NE(result.out.find("\"phase\": \"transferring\""), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(second.address), std::string::npos) << result.out;
  EXPECT_TRUE(ReadFile(videos / first.fileName) == cli::DemoVideoBytes(demo.videos[1]));
  EXPECT_TRUE(ReadFile(videos / second.fileName) == cli::DemoVideoBytes(demo.videos[9]));
  EXPECT_EQ(std::distance(fs::directory_iterator(videos), {}), 2);
}

// The desktop program's command line: help and version answered without a display, addresses
// with no display to show them on, and an unknown option once Qt has taken its own.
TEST(DesktopCommandLine, AnsweredWithoutStartingTheWindow) {
  TempDir home;
  const auto env = CliEnvironment(home.path()); // no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
  auto offscreen = env;
  offscreen["QT_QPA_PLATFORM"] = "offscreen";
  offscreen["XDG_RUNTIME_DIR"] = home.path().string();
  const std::tuple<std::vector<std::string>, bool, int, std::string> runs[] = {
      {{"--help"}, false, 0, "Usage: vidtrawl [OPTION]... [URL]...\n"},
      {{"http://blip.tv/file/1", "-V"}, false, 0, "vidtrawl " VIDTRAWL_VERSION "\n"},
      {{"--", "--help"}, false, 1, "vidtrawl: there is no display to show the window on"},
      {{"-style", "fusion", "--bogus"}, true, 2, "vidtrawl: unknown option '--bogus'\n"},
  };
  for (const auto &[args, withPlatform, status, start] : runs) {
    ChildProcess run(VIDTRAWL_GUI_BINARY, args, withPlatform ? offscreen : env);
    const ChildProcess::Result result = run.Wait(std::chrono::seconds(30));
    EXPECT_EQ(result.exitCode, status) << args.back();
    EXPECT_EQ((status == 0 ? result.out : result.err).rfind(start, 0), 0u)
        << result.out << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, GuiDownload, ::testing::Values("type", "copy", "copy-hidden"),
                         [](const auto &info) {
                           std::string name = info.param;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

} // namespace
} // namespace vidtrawl::testing
