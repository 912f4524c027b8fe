#include "cli/ResultTable.h"
#include "cli/ConsoleText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vidtrawl::cli {
namespace {

using testing::TempDir;

// A page's file name with a terminal's title sequence in it, and an address
// with a tab: both must stay one visible field of their line.
const std::vector<engine::DownloadItem> kItems = {
    {1, "http://blip.tv/file/1", "a.flv", "Complete", "0"},
    {2, "http://www.example.org/\tx", "bad\x1b]0;title\x07.flv", "Link is not supported", "????"},
    {3, "http://media.putfile.com/2", "long name.flv", "Cancelled", "1 MB"}};

TEST(ResultTable, ColumnsLineUpAndSizesComeFromTheFiles) {
  TempDir dir;
  testing::WriteFile(dir / "a.flv", std::string(3072, 'x'));
  testing::WriteFile(dir / "long name.flv", "an earlier file");
  testing::WriteFile(dir / "long name.flv.part", std::string(512 * 1024, 'x'));
  std::istringstream table(ResultTable(kItems, dir.path().string()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(table, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  // Where a text begins on a line, in the terminal's columns.
  const auto at = [&](std::size_t line, const char *text) {
    return DisplayWidth(lines[line].substr(0, lines[line].find(text)));
  };
  const char *names[] = {"FILE NAME", "a.flv", "bad", "long name.flv"};
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(at(i, names[i]), at(0, names[0])) << lines[i];
    EXPECT_EQ(at(i, "http://"), at(0, "ADDRESS")) << lines[i];
    EXPECT_EQ(lines[i].find_first_of("\t\x1b\x07"), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[1].find(" 3 KB  "), std::string::npos) << lines[1]; // received, not "0"
  EXPECT_NE(lines[2].find("????"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("512 KB of 1 MB"), std::string::npos) << lines[3];
}

} // namespace
} // namespace vidtrawl::cli
