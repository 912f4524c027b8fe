#include "resolve/LinkFetcher.h"

#include "resolve/PageParsers.h"
#include "support/LocalServer.h"
#include "support/RecordingMessageBox.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace vidtrawl;
using vidtrawl::testing::LocalServer;
using vidtrawl::testing::TempDir;

namespace {

// Stands in for the main window's transfer event handlers: sees whether
// the transfer is a page fetch and can stop it.
class FetchWatcher final : public net::DownloadEvents {
public:
  FetchWatcher(const resolve::LinkFetcher &fetcher, net::Download &download)
      : fetcher_(fetcher), download_(download) {}
  void DownloadProgress(std::int64_t) override {
    sawGettingLink = sawGettingLink || fetcher_.GettingLink();
    if (cancel)
      download_.CancelDownload();
  }
  bool cancel = false;
  bool sawGettingLink = false;

private:
  const resolve::LinkFetcher &fetcher_;
  net::Download &download_;
};

class LinkFetcherTest : public ::testing::Test {
protected:
  void SetUp() override {
    server.server().Get(R"(/(.*))", [this](const httplib::Request &req, httplib::Response &res) {
      ++requests;
      const auto it = pages.find(req.path);
      if (it == pages.end()) {
        res.status = 404;
        res.set_content("not here", "text/html");
        return;
      }
      res.set_content(it->second, "text/html");
    });
    server.Start();
    net::ConnectionMap pageMap;
    pageMap.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    download.SetConnections(pageMap);
    download.SetEvents(&handler);
  }

  LocalServer server;
  std::map<std::string, std::string> pages;
  std::atomic<int> requests{0};
  TempDir dir;
  host::NoopPump pump;
  vidtrawl::testing::RecordingMessageBox messages;
  net::Download download{pump, net::ConnectionMap{}};
  resolve::RedirectResolver resolver{pump, messages};
  resolve::LinkFetcher fetcher{download, resolver, dir / "Parse.wvi"};
  FetchWatcher handler{fetcher, download};
};

} // namespace

TEST_F(LinkFetcherTest, UnsupportedAddressTouchesNothing) {
  vidtrawl::testing::WriteFile(fetcher.ScratchFile(), "old page");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.example.org/watch?v=1"), "-1");
  EXPECT_EQ(vidtrawl::testing::ReadFile(fetcher.ScratchFile()), "old page");
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(LinkFetcherTest, ResultCodesAndAddresses) {
  pages["/file/clip"] = "<a href='http://media.putfile.com/c/clip.flv'>watch</a>";
  pages["/file/nothing"] = "<html>no video here</html>";
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/clip"),
            "http://media.putfile.com/c/clip.flv");
  EXPECT_TRUE(handler.sawGettingLink);
  EXPECT_FALSE(fetcher.GettingLink());
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/nothing"), "0");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/gone"), "-2");
  EXPECT_FALSE(fetcher.GettingLink());
}

TEST_F(LinkFetcherTest, MyspaceNeedsTheFetchButNotThePage) {
  pages["/index.cfm"] = "anything";
  EXPECT_EQ(fetcher.GetDownloadLink("http://vids.myspace.com/index.cfm?videoid=1234567890"),
            std::string(resolve::kMyspaceContentBase) + "0012345/09/87/1234567890.flv");
  EXPECT_EQ(fetcher.GetDownloadLink("http://vids.myspace.com/missing?videoid=1234567890"), "-2");
}

TEST_F(LinkFetcherTest, ReadOnlyScratchFileIsReplaced) {
  const auto scratch = fetcher.ScratchFile();
  vidtrawl::testing::WriteFile(scratch, "<a href='http://stale.putfile.com/old.flv'>");
  std::filesystem::permissions(scratch, std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::replace);
  pages["/p"] = "plain page";
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/p"), "0");
  EXPECT_EQ(vidtrawl::testing::ReadFile(scratch), "plain page");
  // A failed fetch leaves no stale page for a parser to find.
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/none"), "-2");
  EXPECT_FALSE(std::filesystem::exists(scratch));
}

TEST_F(LinkFetcherTest, CancelledFetchIsNotFetched) {
  pages["/big"] = std::string(100000, 'x') + "http://a.putfile.com/v.flv";
  handler.cancel = true;
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/big"), "-2");
  EXPECT_FALSE(fetcher.GettingLink());
}

TEST_F(LinkFetcherTest, UnwritableScratchFileMeansNotFetched) {
  vidtrawl::testing::WriteFile(dir / "plainfile", "x");
  resolve::LinkFetcher blocked{download, resolver, dir / "plainfile" / "Parse.wvi"};
  pages["/p"] = "<a href='http://a.putfile.com/v.flv'>";
  EXPECT_EQ(blocked.GetDownloadLink("http://www.putfile.com/p"), "-2");
  EXPECT_FALSE(blocked.GettingLink());
}

TEST_F(LinkFetcherTest, YoutubeGoesThroughTheRedirectResolver) {
  vidtrawl::testing::RawServer player;
  player.SetReply({"HTTP/1.1 303 See Other\r\nlocation: http://other.example/watch?video_id=abc&t=xyz"
                   "\r\nContent-Length: 0\r\n\r\n"});
  net::ConnectionMap playerMap;
  playerMap.Add("www.youtube.com:80:127.0.0.1:" + std::to_string(player.port()));
  resolve::RedirectResolver mapped{pump, messages, playerMap};
  resolve::LinkFetcher youtube{download, mapped, dir / "Parse.wvi"};
  pages["/watch"] = "<embed src=\"/p.swf\" flashvars=\"a;http://www.youtube.com/swf/"
                    "l.swf?video_id=abc&t=xyz\">";
  EXPECT_EQ(youtube.GetDownloadLink("http://www.youtube.com/watch?v=abc"),
            "http://www.youtube.com/get_video?video_id=abc&t=xyz");
  ASSERT_EQ(player.Requests().size(), 1u);
  EXPECT_EQ(player.Requests()[0].rfind("GET /swf/l.swf?video_id=abc HTTP/1.1\r\n", 0), 0u);
  EXPECT_TRUE(messages.shown.empty());
}
