// --resolve-only: one URL<TAB>RESULT line per address, nothing downloaded.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using cli::TheDemoSite;

class CliResolveOnlyTest : public ::testing::Test {
protected:
  void SetUp() override {
    // A PutFile page without a video address, beside the demo's pages.
    server.server().Get("/empty-page", [](const httplib::Request &, httplib::Response &res) {
      res.set_content("<html><body>This video was removed.</body></html>", "text/html");
    });
    cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
    server.Start();
    env = CliEnvironment(home.path());
    env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  }

  TempDir home;
  LocalServer server;
  std::map<std::string, std::string> env;
};

TEST_F(CliResolveOnlyTest, EachResultCodeAndAnAddress) {
  struct Case {
    std::string url;
    std::string result;
  };
  const std::vector<Case> cases = {
      {TheDemoSite().pages[10].address, TheDemoSite().pages[10].videoAddress},
      {"http://www.example.org/video/1", "-1"},        // no supported site
      {"http://media.putfile.com/no-such-page", "-2"}, // 404: the page is not fetched
      {"http://media.putfile.com/empty-page", "0"},    // no video address in it
      {TheDemoSite().pages[1].address, TheDemoSite().pages[1].videoAddress}, // via the redirect
  };
  std::vector<std::string> args{"--resolve-only"};
  for (const Case &c : cases)
    args.push_back(c.url);

  const ChildProcess::Result result = RunCli(args, env);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), cases.size()) << result.out;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].url);
    EXPECT_EQ(lines[i], cases[i].url + "\t" + cases[i].result);
  }
}

TEST_F(CliResolveOnlyTest, EveryPageOfTheTwelveSitesResolvesAndNothingIsDownloaded) {
  std::vector<std::string> args{"--resolve-only"};
  for (const cli::DemoPage &page : TheDemoSite().pages)
    args.push_back(page.address);
  const ChildProcess::Result result = RunCli(args, env);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), TheDemoSite().pages.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i],
              TheDemoSite().pages[i].address + "\t" + TheDemoSite().pages[i].videoAddress);
  // No download folder was made for the saved setting.
  EXPECT_FALSE(fs::exists(home / "Downloaded Videos"));
}

TEST_F(CliResolveOnlyTest, AddressesComeFromAFileAndFromStandardInput) {
  const std::string first = TheDemoSite().pages[0].address;
  const std::string second = TheDemoSite().pages[2].address;
  WriteFile(home / "urls.txt", "# my list\r\n\n  " + first + " \r\n\t# " + second + "\n" + second);
  ChildProcess::Result result = RunCli(
      {"--resolve-only", "-i", (home / "urls.txt").string(), "http://www.example.org/1"}, env);
  auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 3u) << result.out << result.err;
  EXPECT_EQ(lines[0], "http://www.example.org/1\t-1"); // the command line's addresses come first
  EXPECT_EQ(lines[1], first + "\t" + TheDemoSite().pages[0].videoAddress);
  EXPECT_EQ(lines[2], second + "\t" + TheDemoSite().pages[2].videoAddress);

  result = RunCli({"--resolve-only", "--input-file", "-"}, env, home / "urls.txt");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out).size(), 2u) << result.out;

  WriteFile(home / "none.txt", "# nothing but comments\n\n");
  result = RunCli({"-i", (home / "none.txt").string()}, env);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("no URL given"), std::string::npos) << result.err;
}

} // namespace
} // namespace vidtrawl::testing
