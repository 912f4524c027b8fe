// The desktop program for real, under Xvfb and gui_download.sh: a page address typed into the movie
// or copied is downloaded, and a restart in the middle of the list finishes it. Its command line
// without a display.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/Nginx.h"
#include "support/TempDir.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <regex>
#include <thread>
#include <tuple>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

class GuiProgram : public ::testing::Test {
protected:
  void SetUp() override {
    VIDTRAWL_NEEDS_TOOL(display.Valid() && !std::system("which xdotool xclip >/dev/null"),
                        "Xvfb, xdotool or xclip");
  }
  // gui_download.sh with ARGS over the demo site (or the server on `port`: every host is
  // there); the clipboard monitor on (as it is at first) or off.
  ChildProcess::Result Run(const fs::path &home, std::vector<std::string> args, bool monitor,
                           int port = 0) {
    cli::DemoServer server(std::chrono::milliseconds(0));
    if (port == 0) {
      EXPECT_TRUE(server.Start());
      port = server.Port();
    }
    std::map<std::string, std::string> env = CliEnvironment(home);
    env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(port);
    env["QT_QPA_PLATFORM"] = "xcb";
    env["DISPLAY"] = display.Name();
    if (!monitor)
      WriteFile(home / ".config/vidtrawl/registry.ini",
                "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nURL Mon=False\n");
    args.insert(args.begin(), {VIDTRAWL_E2E_DIR "/gui_download.sh", VIDTRAWL_GUI_BINARY});
    ChildProcess run("/bin/sh", args, env);
    return run.Wait(std::chrono::seconds(90));
  }

  XvfbDisplay display;
  const cli::DemoSite &demo = cli::TheDemoSite();
};

// A page address typed into the movie (then Add and Start clicked), copied with the monitor on, or
// given to a second start of the program, which hands it to the first and ends.
TEST_F(GuiProgram, ATypedCopiedOrHandedOverAddressIsDownloaded) {
  for (const char *how : {"type", "copy", "second"}) {
    TempDir home;
    const fs::path video = home / "Downloaded Videos" / demo.pages[10].fileName;
    const ChildProcess::Result result =
        Run(home.path(), {how, demo.pages[10].address, video}, how[0] == 'c');
    EXPECT_EQ(result.exitCode, 0) << how << result.out << result.err;
    EXPECT_TRUE(fs::exists(video) && fs::file_size(video) > 0) << how << result.err;
  }
}

// Killed in the middle of its list, the program comes back with the same list: the item it was
// downloading goes on from its partial file by a range (nginx's log shows it), the next one
// follows, and both arrive whole.
TEST_F(GuiProgram, TheListComesBackAfterARestartAndGoesOnByRange) {
  VIDTRAWL_NEEDS_TOOL(Nginx::Installed(), "nginx");
  TempDir home, served;
  Nginx nginx(served.path(), "limit_rate 800k;");
  std::string first(3 << 20, '\0'), second(1 << 20, '\0');
  for (std::size_t i = 0; i < first.size(); ++i)
    first[i] = static_cast<char>(i * 7 + i / 4099);
  for (std::size_t i = 0; i < second.size(); ++i)
    second[i] = static_cast<char>(i * 13 + i / 65537);
  WriteFile(served.path() / "www/first.flv", first);
  WriteFile(served.path() / "www/second.flv", second);
  const fs::path videos = home / "Downloaded Videos";
  const fs::path file1 = videos / "first.flv", file2 = videos / "second.flv";
  const ChildProcess::Result result = Run(
      home.path(),
      {"restart", "http://media.example/first.flv", "http://media.example/second.flv",
       file1.string() + ".vidtrawl-part", home / ".local/share/vidtrawl/list.json", file1, file2},
      false, nginx.Port());
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  // As the killed program left it: the first item downloading, the second waiting.
  EXPECT_NE(result.out.find("\"phase\": \"receiving\""), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("second.flv"), std::string::npos) << result.out;
  EXPECT_TRUE(ReadFile(file1) == first);
  EXPECT_TRUE(ReadFile(file2) == second);
  EXPECT_EQ(std::distance(fs::directory_iterator(videos), {}), 2);
  const std::string log = nginx.AccessLog();
  EXPECT_TRUE(
      std::regex_search(log, std::regex(R"("GET /first.flv [^"]*" 206 \d+ "bytes=[1-9]\d*-")")))
      << log;
}

// One program per user session: a start on ":71.0" hands its address to the program of ":71"; one
// of another session of the same user says who keeps the list and leaves it alone.
TEST(GuiSession, OneProgramPerSessionAndOneKeeperOfTheList) {
  TempDir home;
  auto env = CliEnvironment(home.path());
  env.insert({{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", home.path().string()}});
  const auto within = [](const std::function<bool()> &check) {
    for (int tenths = 0; tenths < 300 && !check(); ++tenths)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return check();
  };
  env["DISPLAY"] = ":71";
  ChildProcess first(VIDTRAWL_GUI_BINARY, {}, env);
  ASSERT_TRUE(within([&] { return fs::exists(home / "vidtrawl-program-:71"); }));
  env["DISPLAY"] = ":71.0";
  EXPECT_EQ(ChildProcess(VIDTRAWL_GUI_BINARY, {"http://127.0.0.1:9/a.mp4"}, env).Wait().exitCode,
            0);
  env["DISPLAY"] = ":72"; // its messages go to a file, read while it runs
  ChildProcess other("/bin/sh",
                     {"-c", "exec \"$0\" http://127.0.0.1:9/b.mp4 2>\"$1\"", VIDTRAWL_GUI_BINARY,
                      (home / "errors").string()},
                     env);
  const std::string word = "is kept by Vidtrawl in another session of yours (display :71)";
  EXPECT_TRUE(within([&] { return ReadFile(home / "errors").find(word) != std::string::npos; }));
  for (ChildProcess *program : {&other, &first}) {
    program->Signal(SIGTERM);
    program->Wait();
  }
  const std::string list = ReadFile(home / ".local/share/vidtrawl/list.json");
  EXPECT_NE(list.find("http://127.0.0.1:9/a.mp4"), std::string::npos) << list;
  EXPECT_EQ(list.find("http://127.0.0.1:9/b.mp4"), std::string::npos) << list;
}

// Help and version answered without a display, addresses with no display to show them on, and an
// unknown option once Qt has taken its own.
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

} // namespace
} // namespace vidtrawl::testing
