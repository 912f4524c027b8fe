// Exit statuses and usage errors of vidtrawl-cli.
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

struct UsageCase {
  const char *name;
  std::vector<std::string> args;
  const char *error; // part of the one-line error
};

class CliUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, BadUsageExitsWithTwoAndGivesTheReasonAndAHint) {
  TempDir home;
  const ChildProcess::Result result = RunCli(GetParam().args, CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 2);
  const auto lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 2u) << result.err;
  EXPECT_EQ(lines[0].rfind("vidtrawl-cli: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find(GetParam().error), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], "Try 'vidtrawl-cli --help' for more information.");
  EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageTest,
    ::testing::Values(
        UsageCase{"UnknownLongOption", {"--bogus", "http://blip.tv/file/1"}, "unknown option"},
        UsageCase{"UnknownShortOption", {"-x", "http://blip.tv/file/1"}, "unknown option '-x'"},
        UsageCase{"DirWithoutFolder", {"http://blip.tv/file/1", "--dir"}, "needs an argument"},
        UsageCase{"ShortDirWithoutFolder", {"http://blip.tv/file/1", "-d"}, "needs an argument"},
        UsageCase{"ConnectToWithoutEntry",
                  {"http://blip.tv/file/1", "--connect-to"},
                  "needs an argument"},
        UsageCase{"MalformedConnectTo",
                  {"--connect-to", "localhost", "http://blip.tv/file/1"},
                  "malformed --connect-to"},
        UsageCase{"MalformedConnectToPort",
                  {"--connect-to=a:b:c:d", "http://blip.tv/file/1"},
                  "malformed --connect-to"},
        UsageCase{"NoUrl", {"--tsv"}, "no URL"}, UsageCase{"NothingAtAll", {}, "no URL"},
        UsageCase{"DemoWithUrl", {"--demo", "http://blip.tv/file/1"}, "--demo takes no URL"},
        UsageCase{"FlagWithValue", {"--tsv=yes", "http://blip.tv/file/1"}, "takes no argument"},
        UsageCase{"InputFileMissing",
                  {"-i", "/nonexistent/urls.txt"},
                  "cannot read input file '/nonexistent/urls.txt'"},
        UsageCase{"InputFileWithoutName", {"--input-file"}, "needs an argument"},
        UsageCase{"FolderCannotBeMade",
                  {"--dir", "/proc/self/no-such-folder", "http://blip.tv/file/1"},
                  "cannot create the download folder"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CliExitStatus, HelpAndVersion) {
  TempDir home;
  const auto help = RunCli({"--help"}, CliEnvironment(home.path()));
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: vidtrawl-cli", 0), 0u);
  const auto shortHelp = RunCli({"-h"}, CliEnvironment(home.path()));
  EXPECT_EQ(shortHelp.out, help.out);
  const auto version = RunCli({"--version"}, CliEnvironment(home.path()));
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("vidtrawl-cli ") + VIDTRAWL_VERSION + "\n");
}

TEST(CliExitStatus, OneIncompleteItemMakesItOne) {
  TempDir home, downloads;
  LocalServer server;
  server.server().Get("/ok", [](const httplib::Request &, httplib::Response &res) {
    res.set_content("<embed src='http://www.thatvideosite.com/v/ok.flv'>", "text/html");
  });
  server.server().Get("/v/ok.flv", [](const httplib::Request &, httplib::Response &res) {
    res.set_content(Pattern(5000), "video/x-flv");
  });
  server.server().Get("/gone", [](const httplib::Request &, httplib::Response &res) {
    res.set_content("<embed src='http://www.thatvideosite.com/v/gone.flv'>", "text/html");
  });
  server.Start();
  const std::string mapping = "::127.0.0.1:" + std::to_string(server.port());
  const std::string dir = downloads.path().string();

  const auto allGood =
      RunCli({"-q", "-d", dir, "--connect-to", mapping, "http://www.thatvideosite.com/ok"},
             CliEnvironment(home.path()));
  EXPECT_EQ(allGood.exitCode, 0) << allGood.err;

  const auto oneGone =
      RunCli({"-q", "--tsv", "-d", dir, "--connect-to", mapping, "http://www.thatvideosite.com/ok",
              "http://www.thatvideosite.com/gone"},
             CliEnvironment(home.path()));
  EXPECT_EQ(oneGone.exitCode, 1) << oneGone.err;
  const auto lines = Lines(oneGone.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Fields(lines[0])[3], "Complete");
  EXPECT_EQ(Fields(lines[1])[3], "ERROR");

  const auto unsupported =
      RunCli({"-q", "--tsv", "-d", dir, "http://www.example.org/x"}, CliEnvironment(home.path()));
  EXPECT_EQ(unsupported.exitCode, 1);
  EXPECT_EQ(unsupported.out, "1\thttp://www.example.org/x\tUn supported link\tERROR\t????\n");
}

TEST(CliExitStatus, AnAddressAddedTwiceIsOneItem) {
  TempDir home, downloads;
  const auto result = RunCli({"-q", "--tsv", "-d", downloads.path().string(),
                              "http://www.example.org/x", "http://www.example.org/x"},
                             CliEnvironment(home.path()));
  EXPECT_EQ(Lines(result.out).size(), 1u) << result.out;
}

TEST(CliExitStatus, DownloadFolderIsCreatedWithItsParents) {
  TempDir home;
  const fs::path nested = home / "a" / "b" / "c";
  const auto result = RunCli({"-q", "-d", nested.string(), "http://www.example.org/x"},
                             CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(fs::is_directory(nested));
}

} // namespace
} // namespace vidtrawl::testing
