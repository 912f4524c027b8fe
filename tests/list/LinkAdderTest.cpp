#include "list/LinkAdder.h"

#include "support/EngineFixture.h"

namespace vidtrawl::list {
namespace {

class LinkAdderTest : public testing::EngineFixture {
protected:
  LinkAdder &adder() { return engine->adder; }
};

TEST_F(LinkAdderTest, AResolvedItemGetsItsNameAndSizeUnlessTheUserNamedIt) {
  Serve("/v/1", "<a href=\"http://media.putfile.com/files/Clip.flv\">");
  Serve("/v/2", "<a href=\"http://media.putfile.com/files/Other.flv\">");
  Serve("/files/Clip.flv", std::string(2048, 'v'));
  Serve("/files/Other.flv", std::string(100, 'v'));
  adder().AddLinks({"http://www.putfile.com/v/1", "http://www.putfile.com/v/2"});
  engine->items.UpdateItem(2, "", "mine.flv", "", "");
  std::string shownDuringFetch;
  pump.action = [&](long) {
    if (engine->fetcher.GettingLink() && shownDuringFetch.empty())
      shownDuringFetch = grid.Texts().at(0)[3];
  };
  engine->current.Set(engine->items, 0); // as the pass does
  EXPECT_EQ(adder().ResolveItem(0), "http://media.putfile.com/files/Clip.flv");
  EXPECT_EQ(shownDuringFetch, "Preparing (0%)");
  EXPECT_EQ(Item(0), (DownloadItem{1, "http://www.putfile.com/v/1", "Clip.flv",
                                   "Start Downloading...", "2 KB"}));
  EXPECT_EQ(engine->download.FileSize(), 2048); // for the transfer that follows
  EXPECT_EQ(adder().ResolveItem(1), "http://media.putfile.com/files/Other.flv");
  EXPECT_EQ(Item(1).FileName, "mine.flv");
  EXPECT_EQ(Item(1).FileSize, "100 Bytes");
  EXPECT_EQ(adder().ResolveItem(2), "-1"); // no such item
}

// An address is listed once, with its site's first status; each answer of
// the page fetch is recorded in the item.
TEST_F(LinkAdderTest, EachAnswerOfThePageFetchIsRecordedInTheItem) {
  Serve("/empty", "no video in here");
  adder().AddLink("http://www.example.org/x");
  adder().AddLinks(
      {"http://www.putfile.com/empty", "http://www.putfile.com/gone", "http://www.example.org/x"});
  ASSERT_EQ(engine->items.Count(), 3u);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Item(0), (DownloadItem{1, "http://www.example.org/x", "ERROR", "Link is not supported",
                                   "????"}));
  EXPECT_EQ(Item(2), (DownloadItem{3, "http://www.putfile.com/gone", "Waiting (Auto Detect)",
                                   "Waiting", "????"}));
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(adder().ResolveItem(i), "-1");
  EXPECT_EQ(Item(0).FileName, "Un supported link");
  EXPECT_EQ(Item(1), (DownloadItem{2, "Video may be inappropriate and can not be downloaded",
                                   "Process failed.", "ERROR", "????"}));
  EXPECT_EQ(Item(2).Status, "ERROR");
}

} // namespace
} // namespace vidtrawl::list
