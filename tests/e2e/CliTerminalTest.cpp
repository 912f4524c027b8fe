// vidtrawl-cli on a pseudo-terminal and into pipes: text from pages never drives the terminal.
#include "e2e/ChildProcess.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace vidtrawl::testing {
namespace {

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

// The two pages name videos the way a hostile page may; every other path is the video.
RawServer::Reply Answer(const std::string &request) {
  const bool head = request.rfind("HEAD ", 0) == 0;
  for (const auto &[page, name] : {std::pair{" /escapes.asp ", kEscapes}, {" /odd.asp ", kOddName}})
    if (request.find(page) != std::string::npos)
      return {RawResponse("HTTP/1.1 200 OK", "",
                          head ? "" : "<embed src=\"" + kSite + "/" + name + "\">")};
  return {RawResponse("HTTP/1.1 200 OK", "Content-Length: 65536\r\n", head ? "" : kVideo)};
}

class CliTerminalTest : public ::testing::Test {
protected:
  void SetUp() override {
    env = CliEnvironment(home.path());
    env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  }

  TempDir home;
  TempDir downloads;
  RawServer server{Answer};
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
  // The C1 control goes from the name; the bytes that are no UTF-8 stay in the file's name.
  const std::string odd = "c1-2J-#-\xc3\xa9t\xc3\xa9-\xe2\x82\xac-##-###-####-##.flv";
  const Case cases[] = {
      {{"--resolve-only", kSite + "/escapes.asp"}, true, 0, address},
      {{"--resolve-only", "http://www.example.org/a\tb\x1b[2J"}, false, 1, "org/a b#[2J\t-1"},
      {{"-d", dir, kSite + "/odd.asp"}, true, 0, odd},
      {{"--tsv", "-d", dir + "/tsv", kSite + "/odd.asp"}, false, 0, "\t" + odd + "\tComplete\t"},
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
  EXPECT_EQ(ReadFile(downloads / std::string(kOddName).erase(3, 2)), kVideo)
      << "the file keeps its name";
}

} // namespace
} // namespace vidtrawl::testing
