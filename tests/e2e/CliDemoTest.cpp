// The offline demo runs without any network and fills its folder.
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> FilesIn(const fs::path &folder) {
  std::set<std::string> names;
  for (const auto &entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(CliDemo, QuietDemoWritesTheTwelveVideos) {
  TempDir home, downloads;
  const fs::path dir = downloads / "demo";
  // A mapping in the environment does not lead the demo astray.
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:9";
  const auto result = RunCli({"--demo", "--dir", dir.string(), "--quiet"}, env);
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");

  std::set<std::string> expected;
  for (const cli::DemoPage &page : cli::TheDemoSite().pages)
    expected.insert(page.fileName);
  ASSERT_EQ(expected.size(), 12u);
  EXPECT_EQ(FilesIn(dir), expected);
  for (const cli::DemoVideo &video : cli::TheDemoSite().videos) {
    for (const cli::DemoPage &page : cli::TheDemoSite().pages) {
      if (page.videoAddress.find(video.path) != std::string::npos) {
        EXPECT_EQ(fs::file_size(dir / page.fileName), video.size) << page.fileName;
      }
    }
  }
}

TEST(CliDemo, TsvShowsTheUnsupportedAddressAsError) {
  TempDir home;
  const auto result = RunCli({"--demo", "--tsv", "--quiet"}, CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 13u) << result.out;
  for (std::size_t i = 0; i < 12; ++i)
    EXPECT_EQ(Fields(lines[i])[3], "Complete") << lines[i];
  EXPECT_EQ(lines[12],
            "13\t" + cli::TheDemoSite().unsupportedAddress + "\tUn supported link\tERROR\t????");
  // Without --dir the files go to a new folder under the temporary folder
  // (TMPDIR is the test's home here).
  bool found = false;
  for (const auto &entry : fs::directory_iterator(home.path()))
    if (entry.path().filename().string().rfind("vidtrawl-demo-", 0) == 0)
      found = FilesIn(entry.path()).size() == 12;
  EXPECT_TRUE(found);
}

TEST(CliDemo, ShowsTheTableAndTheFolder) {
  TempDir home, downloads;
  const auto result =
      RunCli({"--demo", "--dir", downloads.path().string()}, CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("ID  STATUS"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("files are in " + downloads.path().string()), std::string::npos)
      << result.out;
  EXPECT_NE(result.err.find("[2] Complete youtube-harbour.flv"), std::string::npos) << result.err;
}

} // namespace
} // namespace vidtrawl::testing
