#include "resolve/PageFile.h"
#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using namespace vidtrawl::resolve;
using vidtrawl::testing::TempDir;
using vidtrawl::testing::WriteFile;

TEST(ReadPageFile, ReadsEveryByteUnchanged) {
  TempDir dir;
  std::string bytes = vidtrawl::testing::Pattern(200000, 7);
  bytes[10] = '\0';
  bytes += std::string("\0\r\n\xff", 4);
  WriteFile(dir / "Parse.wvi", bytes);
  EXPECT_EQ(ReadPageFile(dir / "Parse.wvi"), bytes);
  WriteFile(dir / "empty", "");
  EXPECT_EQ(ReadPageFile(dir / "empty"), std::string());
}

TEST(ReadPageFile, FailureGivesNothing) {
  TempDir dir;
  EXPECT_EQ(ReadPageFile(dir / "missing"), std::nullopt);
  EXPECT_EQ(ReadPageFile(dir.path()), std::nullopt); // a folder
}

TEST(ParsePageFile, UnreadablePageGivesEmptyText) {
  TempDir dir;
  const std::string address = "http://vids.myspace.com/index.cfm?videoid=1234567890";
  // MySpace works on the address alone, but the page must still be readable.
  EXPECT_EQ(ParsePageFile(kSiteMyspace, dir / "missing", address, nullptr), "");
  WriteFile(dir / "Parse.wvi", "<html></html>");
  EXPECT_EQ(ParsePageFile(kSiteMyspace, dir / "Parse.wvi", address, nullptr),
            "http://content.myspace.com/0012345/09/87/1234567890.flv");
  WriteFile(dir / "Parse.wvi", "<embed src=\"http://a/b.swf\">");
  EXPECT_EQ(ParsePageFile(kSiteAngryAlien, dir / "Parse.wvi", "", nullptr), "http://a/b.swf");
}
