#include "list/LinkAdder.h"

#include "list/Status.h"
#include "support/EngineFixture.h"

using namespace vidtrawl;

namespace {

class LinkAdderTest : public vidtrawl::testing::EngineFixture {
protected:
  list::LinkAdder &adder() { return engine->adder; }
};

} // namespace

TEST_F(LinkAdderTest, FirstStatusDependsOnTheSite) {
  adder().AddLink("http://www.example.org/x");
  adder().AddLink("  http://www.putfile.com/v/1 ");
  adder().cmdAdd2List_Click("http://www.putfile.com/v/1"); // differs: not trimmed
  adder().AddLink("http://www.example.org/x");             // already listed
  ASSERT_EQ(engine->items.Count(), 3u);
  EXPECT_EQ(Item(0), (list::DownloadItem{1, "http://www.example.org/x", "ERROR",
                                         "Link is not supported", "????"}));
  EXPECT_EQ(Item(1), (list::DownloadItem{2, "  http://www.putfile.com/v/1 ",
                                         "Waiting (Auto Detect)", "Waiting", "????"}));
  EXPECT_EQ(grid.RowCount(), 3); // every add rebuilds the grid
}

TEST_F(LinkAdderTest, ResolvedItemGetsNameAndSize) {
  Serve("/v/1", "<a href=\"http://media.putfile.com/files/Clip.flv\">");
  Serve("/files/Clip.flv", std::string(2048, 'v'));
  adder().AddLink("http://www.putfile.com/v/1");
  engine->current.Set(engine->items, 0); // as the pass does
  EXPECT_EQ(adder().ResolveItem(0), "http://media.putfile.com/files/Clip.flv");
  EXPECT_EQ(Item(0).FileName, "Clip.flv");
  EXPECT_EQ(Item(0).FileSize, "2 KB");
  EXPECT_EQ(Item(0).Status, list::kStartDownloading); // set when the page arrived
  EXPECT_EQ(engine->download.FileSize(), 2048);       // for the transfer that follows
}

TEST_F(LinkAdderTest, UserTypedNameSurvivesButSizeIsRefreshed) {
  Serve("/v/1", "<a href=\"http://media.putfile.com/files/Clip.flv\">");
  Serve("/files/Clip.flv", std::string(100, 'v'));
  adder().AddLink("http://www.putfile.com/v/1");
  engine->items.UpdateItem(1, "", "mine.flv", "", "");
  adder().ResolveItem(0);
  EXPECT_EQ(Item(0).FileName, "mine.flv");
  EXPECT_EQ(Item(0).FileSize, "100 Bytes");
}

TEST_F(LinkAdderTest, FailuresAreRecordedInTheItem) {
  Serve("/empty", "no video in here");
  adder().AddLink("http://www.example.org/x");
  adder().AddLink("http://www.putfile.com/empty");
  adder().AddLink("http://www.putfile.com/gone");

  EXPECT_EQ(adder().ResolveItem(0), "-1");
  EXPECT_EQ(Item(0).Status, "ERROR");
  EXPECT_EQ(Item(0).FileName, "Un supported link");

  EXPECT_EQ(adder().ResolveItem(1), "-1");
  EXPECT_EQ(Item(1), (list::DownloadItem{2, "Video may be inappropriate and can not be downloaded",
                                         "Process failed.", "ERROR", "????"}));

  EXPECT_EQ(adder().ResolveItem(2), "-1");
  EXPECT_EQ(Item(2), (list::DownloadItem{3, "http://www.putfile.com/gone", "Waiting (Auto Detect)",
                                         "ERROR", "????"}));
}

TEST_F(LinkAdderTest, PreparingIsShownBeforeTheFetch) {
  Serve("/v/1", "<a href=\"http://media.putfile.com/c.flv\">");
  adder().AddLink("http://www.putfile.com/v/1");
  std::string shownDuringFetch;
  pump.action = [&](long) {
    if (engine->fetcher.GettingLink() && shownDuringFetch.empty())
      shownDuringFetch = grid.Texts().at(0)[3];
  };
  adder().ResolveItem(0);
  EXPECT_EQ(shownDuringFetch, "Preparing (0%)");
}
