// The desktop program for real, under Xvfb, in desktops of its own: docked in an X11 tray and in a
// D-Bus tray, where its icon sends the window to the tray and brings it back and a pass that ends
// unseen is notified; and read by the accessibility bus, each control with its role and name.
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"
#include "support/XvfbDisplay.h"

#include <gtest/gtest.h>

namespace vidtrawl::testing {
namespace {

// A kind of desktop (as gui_session.sh knows them) and the command that finds what it needs.
struct Session {
  const char *kind;
  const char *needs;
};

class GuiSession : public ::testing::TestWithParam<Session> {};

TEST_P(GuiSession, TheWindowAsTheDesktopSeesIt) {
  XvfbDisplay display;
  const std::string needs = std::string("command -v xdotool && command -v openbox && command -v "
                                        "dbus-daemon && ") +
                            GetParam().needs;
  if (!display.Valid() || !ShellSucceeds(needs))
    GTEST_SKIP() << "Xvfb and " << needs << " (scripts/setup-deps installs them)";
  TempDir home;
  std::map<std::string, std::string> env = CliEnvironment(home.path());
  env["QT_QPA_PLATFORM"] = "xcb";
  env["DISPLAY"] = display.Name();
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:1"; // where no server listens: the pass fails
  const std::string kind = GetParam().kind;
  ChildProcess run("/bin/sh",
                   {VIDTRAWL_E2E_DIR "/gui_session.sh", VIDTRAWL_GUI_BINARY, kind,
                    cli::TheDemoSite().pages[10].address},
                   env);
  const ChildProcess::Result result = run.Wait(std::chrono::seconds(90));
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  if (kind == "sni") { // the pass's end, the reason of its one failure
    EXPECT_EQ(result.out.rfind("notify Downloads finished|0 complete, 1 failed.\\n", 0), 0u)
        << result.out;
    EXPECT_NE(result.out.find(": the page could not be fetched: "), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Desktops, GuiSession,
                         ::testing::Values(Session{"xembed", "command -v trayer"},
                                           Session{"sni", "command -v gdbus && command -v xclip && "
                                                          "/usr/bin/python3 -c 'import gi'"},
                                           Session{"a11y",
                                                   "test -x /usr/libexec/at-spi-bus-launcher && "
                                                   "/usr/bin/python3 -c 'import pyatspi'"}),
                         [](const auto &info) { return std::string(info.param.kind); });

} // namespace
} // namespace vidtrawl::testing
