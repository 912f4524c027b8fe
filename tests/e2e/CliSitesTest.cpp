// vidtrawl-cli against a local server that plays the twelve sites under
// their real host names, reached through the connection mapping.
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

class CliSitesTest : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
    server.Start();
    env = CliEnvironment(home.path());
  }
  std::string Mapping() const { return "::127.0.0.1:" + std::to_string(server.port()); }

  TempDir home;
  TempDir downloads;
  LocalServer server;
  std::map<std::string, std::string> env;
};

// Through --connect-to (true) or VIDTRAWL_CONNECT_TO (false).
TEST_P(CliSitesTest, EverySiteDownloadsItsVideo) {
  std::vector<std::string> args{"--tsv", "--quiet", "--dir", downloads.path().string()};
  if (GetParam())
    args.insert(args.end(), {"--connect-to", Mapping()});
  else
    env["VIDTRAWL_CONNECT_TO"] = Mapping();
  for (const cli::DemoPage &page : TheDemoSite().pages)
    args.push_back(page.address);

  const ChildProcess::Result result = RunCli(args, env);
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), TheDemoSite().pages.size()) << result.out;

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const cli::DemoPage &page = TheDemoSite().pages[i];
    SCOPED_TRACE(page.site);
    const std::vector<std::string> fields = Fields(lines[i]);
    ASSERT_EQ(fields.size(), 5u) << lines[i];
    EXPECT_EQ(fields[0], std::to_string(i + 1));
    EXPECT_EQ(fields[1], page.address);
    EXPECT_EQ(fields[2], page.fileName);
    EXPECT_EQ(fields[3], "Complete");
  }
  for (const cli::DemoVideo &video : TheDemoSite().videos) {
    const cli::DemoPage *owner = nullptr;
    for (const cli::DemoPage &page : TheDemoSite().pages)
      if (page.videoAddress.find(video.path) != std::string::npos)
        owner = &page;
    ASSERT_NE(owner, nullptr) << video.path;
    EXPECT_EQ(ReadFile(downloads / owner->fileName), cli::DemoVideoBytes(video)) << video.path;
  }
  // Nothing on stdout but the records, and no progress with --quiet.
  EXPECT_EQ(result.err.find("Complete"), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(Mapping, CliSitesTest, ::testing::Values(true, false),
                         [](const auto &info) { return info.param ? "Option" : "Environment"; });

TEST(CliSites, SizeTextsShowKnownAndUnknownSizes) {
  TempDir home, downloads;
  LocalServer server;
  cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
  server.Start();
  const auto &pages = TheDemoSite().pages;
  // PutFile announces its size; Break sends its video chunked.
  const ChildProcess::Result result =
      RunCli({"--tsv", "-q", "-d", downloads.path().string(), "--connect-to",
              "::127.0.0.1:" + std::to_string(server.port()), pages[10].address, pages[7].address},
             CliEnvironment(home.path()));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Fields(lines[0])[4], "768 KB");
  EXPECT_EQ(Fields(lines[1])[4], "512 KB"); // announced as "0": the size received
}

TEST(CliSites, TableAndPlainProgressWhenNotQuiet) {
  TempDir home, downloads;
  LocalServer server;
  cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
  server.Start();
  const cli::DemoPage &page = TheDemoSite().pages[4];
  const ChildProcess::Result result =
      RunCli({"-d", downloads.path().string(), "--connect-to",
              "::127.0.0.1:" + std::to_string(server.port()), page.address},
             CliEnvironment(home.path()));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // stderr is a pipe: plain lines, ending with the item's completion.
  EXPECT_NE(result.err.find("[1] Complete " + page.fileName + ", 384 KB"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("\x1b["), std::string::npos) << "no terminal codes in a log";
  // The table goes to stdout under its heading.
  const auto lines = Lines(result.out);
  ASSERT_GE(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[1].rfind("ID  STATUS", 0), 0u) << result.out;
  EXPECT_NE(lines[2].find("Complete  " + page.fileName), std::string::npos) << result.out;
  EXPECT_NE(lines[2].find(page.address), std::string::npos);
}

TEST(CliSites, WithTsvTheTableGoesToStderr) {
  TempDir home, downloads;
  LocalServer server;
  cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
  server.Start();
  const ChildProcess::Result result =
      RunCli({"--tsv", "-d", downloads.path().string(), "--connect-to",
              "::127.0.0.1:" + std::to_string(server.port()), TheDemoSite().pages[5].address},
             CliEnvironment(home.path()));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out).size(), 1u) << result.out;
  EXPECT_NE(result.err.find("ID  STATUS"), std::string::npos) << result.err;
}

TEST(CliSites, SavedDownloadFolderIsUsedAndLeftAsItWas) {
  TempDir home;
  LocalServer server;
  cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
  server.Start();
  const fs::path saved = home / "saved videos";
  const fs::path registry = home / ".config" / "vidtrawl" / "registry.ini";
  fs::create_directories(registry.parent_path());
  const std::string settings = "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                               "URL Mon=False\nDownload Dir=" +
                               saved.string() + "\n";
  WriteFile(registry, settings);

  const cli::DemoPage &page = TheDemoSite().pages[10];
  const ChildProcess::Result result =
      RunCli({"-q", "--connect-to", "::127.0.0.1:" + std::to_string(server.port()), page.address},
             CliEnvironment(home.path()));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(saved / page.fileName));
  EXPECT_EQ(ReadFile(registry), settings);
}

} // namespace
} // namespace vidtrawl::testing
