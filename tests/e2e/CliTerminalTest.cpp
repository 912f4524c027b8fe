// vidtrawl-cli on a pseudo-terminal and into pipes: text from pages never
// drives the terminal, and a width no terminal has costs nothing.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace vidtrawl::testing {
namespace {

using cli::TheDemoSite;

// Video addresses in pages that carry what a hostile page may send.
const std::string kEscapes = "\x1b]2;owned\x07\x1b[2J\x7f"
                             "clip.flv";
// A file name with C1 controls, stray bytes and ill-formed UTF-8 (overlong,
// surrogate, too large, cut short) beside valid text.
const std::string kOddName =
    "c1-\xc2\x9b"
    "2J-\x9b-\xc3\xa9t\xc3\xa9-\xe2\x82\xac-\xc0\xaf-\xed\xa0\x80-\xf4\x90\x80\x80-"
    "\xe2\x82.flv";
const std::string kVideo(64 * 1024, 'v');

const std::string kSite = "http://www.angryalien.com";

class CliTerminalTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const auto &[path, name] : {std::pair{"/escapes.asp", kEscapes}, {"/odd.asp", kOddName}})
      server.server().Get(path, [name](const httplib::Request &, httplib::Response &res) {
        res.set_content("<embed src=\"" + kSite + "/" + name + "\">", "text/html");
      });
    server.server().Get(R"(/c1-.*)", [](const httplib::Request &, httplib::Response &res) {
      res.set_content(kVideo, "video/x-flv");
    });
    cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
    server.Start();
    env = CliEnvironment(home.path());
    env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  }

  TempDir home;
  TempDir downloads;
  LocalServer server;
  std::map<std::string, std::string> env;
};

TEST_F(CliTerminalTest, PageTextNeverDrivesTheTerminal) {
  struct Case {
    std::vector<std::string> args;
    bool terminal; // else pipes
    int exitCode;
    std::string shown; // '#' stands for U+FFFD
  };
  const std::string dir = downloads.path().string();
  const std::string address = kSite + "/#]2;owned##[2J#clip.flv";
  const std::string odd = "c1-#2J-#-\xc3\xa9t\xc3\xa9-\xe2\x82\xac-##-###-####-##.flv";
  const Case cases[] = {
      {{"--resolve-only", kSite + "/escapes.asp"}, true, 0, address},
      {{"--resolve-only", "http://www.example.org/a\tb\x1b[2J"}, false, 1, "org/a b#[2J\t-1"},
      {{"-d", dir, kSite + "/odd.asp"}, true, 0, odd},
      {{"--tsv", "-d", dir, kSite + "/odd.asp"}, false, 0, "\t" + odd + "\tComplete\t"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.back());
    const std::optional<TerminalSize> terminal =
        c.terminal ? std::optional(TerminalSize{100, 30}) : std::nullopt;
    const ChildProcess::Result result = RunCli(c.args, env, "/dev/null", terminal);
    const std::string output = result.out + result.err;
    EXPECT_EQ(result.exitCode, c.exitCode) << output;
    EXPECT_NE(output.find(std::regex_replace(c.shown, std::regex("#"), "\xEF\xBF\xBD")),
              std::string::npos)
        << output;
    for (const std::string planted : {"\x1b]", "\x07", "\x1b[2J", "\x9b"})
      EXPECT_EQ(output.find(planted), std::string::npos) << output;
  }
  EXPECT_EQ(ReadFile(downloads / kOddName), kVideo) << "the file keeps its name";
}

// The widest line of the progress display (before the final table) without
// the display's own control sequences.
std::size_t WidestProgressLine(const std::string &screen) {
  const std::string progress = screen.substr(0, screen.find("ID  STATUS"));
  std::size_t widest = 0;
  for (const std::string &line :
       Lines(std::regex_replace(progress, std::regex("\x1b\\[[0-9;]*[A-Za-z]|\r"), "")))
    widest = std::max(widest, line.size());
  return widest;
}

TEST_F(CliTerminalTest, AWidthNoTerminalHasIsKeptWithinBounds) {
  struct Case {
    TerminalSize terminal; // 0 x 0: the terminal does not know its size
    const char *columns;   // $COLUMNS; nullptr: unset
    std::size_t width;     // what the display uses
  };
  const Case cases[] = {
      {{0, 0}, "1000000000000", 1000}, {{0, 0}, "100000000", 1000}, {{65535, 24}, nullptr, 1000},
      {{12, 24}, nullptr, 20},         {{0, 0}, "12abc", 80},       {{0, 0}, "-120", 80},
  };
  // More items than rows: the summary line under them is as wide as the display.
  const cli::DemoPage &page = TheDemoSite().pages[0];
  std::vector<std::string> args{"-d", downloads.path().string(), page.address};
  for (int i = 0; i < 25; ++i)
    args.push_back("http://www.example.org/" + std::to_string(i));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.columns ? c.columns : std::to_string(c.terminal.columns) + " columns");
    std::filesystem::remove(downloads / page.fileName);
    std::map<std::string, std::string> withColumns = env;
    if (c.columns != nullptr)
      withColumns["COLUMNS"] = c.columns;
    const ChildProcess::Result result = RunCli(args, withColumns, "/dev/null", c.terminal);
    EXPECT_EQ(result.exitCode, 1) << "the unsupported addresses fail";
    EXPECT_EQ(WidestProgressLine(result.err), c.width - 1) << result.err.substr(0, 3000);
    EXPECT_EQ(ReadFile(downloads / page.fileName).size(), 1536u * 1024u);
  }
}

} // namespace
} // namespace vidtrawl::testing
