// The desktop program for real, under Xvfb, in desktops of its own (gui_session.sh): docked in an
// X11 and in a D-Bus tray, where its icon sends the window to the tray and brings it back and a
// pass that ends unseen is notified; and read by the accessibility bus, each control with role and
// name.
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

namespace vidtrawl::testing {
namespace {

// A kind of desktop, as gui_session.sh knows them, and the command that finds what it needs.
class GuiSession : public ::testing::TestWithParam<std::pair<const char *, const char *>> {};

TEST_P(GuiSession, TheWindowAsTheDesktopSeesIt) {
  XvfbDisplay display;
  const auto [kind, needs] = GetParam();
  if (!display.Valid() ||
      !ShellSucceeds("command -v xdotool && command -v openbox && command -v dbus-daemon && " +
                     std::string(needs)))
    GTEST_SKIP() << "Xvfb, xdotool, openbox, dbus-daemon and " << needs
                 << " (scripts/setup-deps installs them)";
  TempDir home;
  std::map<std::string, std::string> env = CliEnvironment(home.path());
  env["QT_QPA_PLATFORM"] = "xcb";
  env["DISPLAY"] = display.Name();
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:1"; // where no server listens: the pass fails
  ChildProcess run("/bin/sh",
                   {VIDTRAWL_E2E_DIR "/gui_session.sh", VIDTRAWL_GUI_BINARY, kind,
                    cli::TheDemoSite().pages[10].address},
                   env);
  const ChildProcess::Result result = run.Wait(std::chrono::seconds(90));
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  if (std::string(kind) == "sni") { // the pass's end, the reason of its one failure
    EXPECT_EQ(result.out.rfind("notify Downloads finished|0 complete, 1 failed.\\n", 0), 0u)
        << result.out;
    EXPECT_NE(result.out.find(": the page could not be fetched: "), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, GuiSession,
    ::testing::Values(
        std::pair{"xembed", "command -v trayer"},
        std::pair{"sni", "command -v gdbus && command -v xclip && /usr/bin/python3 -c 'import gi'"},
        std::pair{"a11y", "test -x /usr/libexec/at-spi-bus-launcher && "
                          "/usr/bin/python3 -c 'import pyatspi'"}),
    [](const auto &info) { return std::string(info.param.first); });

} // namespace
} // namespace vidtrawl::testing
