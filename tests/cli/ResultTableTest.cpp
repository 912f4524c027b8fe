#include "cli/ResultTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

using testing::TempDir;

std::vector<engine::DownloadItem> Items() {
  return {{1, "http://blip.tv/file/1", "a.flv", "Complete", "0"},
          {2, "http://www.example.org/\tx", "ERROR", "Link is not supported", "????"},
          {3, "http://media.putfile.com/2", "long name.flv", "Cancelled", "1 MB"}};
}

TEST(ResultTable, ColumnsLineUpAndSizesComeFromTheFiles) {
  TempDir dir;
  testing::WriteFile(dir / "a.flv", std::string(3072, 'x'));
  testing::WriteFile(dir / "long name.flv", "an earlier file");
  testing::WriteFile(dir / "long name.flv.part", std::string(512 * 1024, 'x'));
  const std::string table = ResultTable(Items(), dir.path().string());
  // Every row starts its columns at the same places.
  const auto lines = [&] {
    std::vector<std::string> out;
    std::size_t start = 0, end;
    while ((end = table.find('\n', start)) != std::string::npos) {
      out.push_back(table.substr(start, end - start));
      start = end + 1;
    }
    return out;
  }();
  ASSERT_EQ(lines.size(), 4u);
  const std::size_t nameColumn = lines[0].find("FILE NAME");
  EXPECT_EQ(lines[1].find("a.flv"), nameColumn);
  EXPECT_EQ(lines[3].find("long name.flv"), nameColumn);
  const std::size_t addressColumn = lines[0].find("ADDRESS");
  for (std::size_t i = 1; i < 4; ++i)
    EXPECT_EQ(lines[i].find("http://"), addressColumn) << lines[i];
  EXPECT_NE(lines[1].find(" 3 KB  "), std::string::npos) << lines[1]; // received, not "0"
  EXPECT_NE(lines[3].find("512 KB of 1 MB"), std::string::npos) << lines[3];
  EXPECT_NE(lines[2].find("????"), std::string::npos);
}

} // namespace
} // namespace vidtrawl::cli
