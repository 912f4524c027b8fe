// vidtrawl-cli on a pseudo-terminal, as a user sees it: text from pages
// and servers never drives the terminal, and a width no terminal has costs
// nothing.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "e2e/TerminalProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using cli::TheDemoSite;

// AngryAlien pages whose video addresses carry what a hostile page may send.
const std::string kEscapePage = "http://www.angryalien.com/0604/escape.asp";
const std::string kC1Page = "http://www.angryalien.com/0604/c1.asp";
const std::string kC1FileName = "c1-\xc2\x9b"
                                "2J-\x9b.flv";
const std::string kVideo(64 * 1024, 'v');

class CliTerminalTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto page = [this](const std::string &path, const std::string &video) {
      server.server().Get(path, [video](const httplib::Request &, httplib::Response &res) {
        res.set_content("<embed src=\"http://www.angryalien.com/0604/" + video + "\">",
                        "text/html");
      });
    };
    page("/0604/escape.asp", "\x1b]2;owned\x07\x1b[2Jclip.flv");
    page("/0604/c1.asp", kC1FileName);
    server.server().Get(R"(/0604/c1-.*)", [](const httplib::Request &, httplib::Response &res) {
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

// '#' stands for the visible stand-in, U+FFFD.
std::string Shown(const std::string &text) {
  return std::regex_replace(text, std::regex("#"), "\xEF\xBF\xBD");
}

TEST_F(CliTerminalTest, PageTextNeverDrivesTheTerminal) {
  struct Case {
    const char *name;
    bool terminal; // else pipes
    std::vector<std::string> args;
    std::string shown;
  };
  const std::string dir = downloads.path().string();
  const std::string address = "http://www.angryalien.com/0604/#]2;owned##[2Jclip.flv";
  const Case cases[] = {
      {"--resolve-only on a terminal", true, {"--resolve-only", kEscapePage}, address},
      {"--resolve-only into a pipe", false, {"--resolve-only", kEscapePage}, address},
      {"progress and table on a terminal", true, {"-d", dir, kC1Page}, "c1-#2J-#.flv"},
      {"--tsv into a pipe", false, {"--tsv", "-d", dir, kC1Page}, "\tc1-#2J-#.flv\tComplete\t"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::string output;
    int exitCode = -1;
    if (c.terminal) {
      const TerminalRun run = RunOnTerminal(CliBinary(), c.args, env, 100, 30);
      output = run.screen;
      exitCode = run.exitCode;
    } else {
      const ChildProcess::Result result = RunCli(c.args, env);
      output = result.out + result.err;
      exitCode = result.exitCode;
    }
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_NE(output.find(Shown(c.shown)), std::string::npos) << output;
    for (const std::string planted : {"\x1b]", "\x07", "\x1b[2J", "\x9b"})
      EXPECT_EQ(output.find(planted), std::string::npos) << output;
  }
  // The file on disk keeps its name.
  EXPECT_EQ(ReadFile(downloads / kC1FileName), kVideo);
}

// The widest line of the progress display: the text before the final
// table, without the display's own control sequences.
std::size_t WidestProgressLine(const std::string &screen) {
  const std::string progress = screen.substr(0, screen.find("ID  STATUS"));
  const std::string text =
      std::regex_replace(progress, std::regex("\x1b\\[[0-9;]*[A-Za-z]|\r"), "");
  std::size_t widest = 0;
  for (const std::string &line : Lines(text))
    widest = std::max(widest, line.size());
  return widest;
}

TEST_F(CliTerminalTest, AWidthNoTerminalHasIsKeptWithinBounds) {
  struct Case {
    const char *name;
    unsigned short columns; // as the terminal says; 0: it does not know
    unsigned short rows;
    const char *columnsVariable; // nullptr: unset
    std::size_t width;           // what the display uses
  };
  const Case cases[] = {
      {"COLUMNS of a trillion", 0, 0, "1000000000000", 1000},
      {"COLUMNS of a hundred million", 0, 0, "100000000", 1000},
      {"a terminal that says 65535 columns", 65535, 24, nullptr, 1000},
      {"a terminal narrower than any line", 12, 24, nullptr, 20},
      {"COLUMNS that is no number", 0, 0, "12abc", 80},
      {"a negative COLUMNS", 0, 0, "-120", 80},
  };
  // More items than rows: the summary line under them is as wide as the
  // display.
  const cli::DemoPage &page = TheDemoSite().pages[0];
  std::vector<std::string> args{"-d", downloads.path().string(), page.address};
  for (int i = 0; i < 25; ++i)
    args.push_back("http://www.example.org/" + std::to_string(i));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(downloads / page.fileName);
    std::map<std::string, std::string> runEnv = env;
    if (c.columnsVariable != nullptr)
      runEnv["COLUMNS"] = c.columnsVariable;
    const TerminalRun run =
        RunOnTerminal(CliBinary(), args, runEnv, c.columns, c.rows, std::chrono::seconds(30));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1) << "the unsupported addresses fail";
    EXPECT_EQ(WidestProgressLine(run.screen), c.width - 1) << run.screen.substr(0, 3000);
    EXPECT_EQ(ReadFile(downloads / page.fileName).size(), 1536u * 1024u);
  }
}

} // namespace
} // namespace vidtrawl::testing
