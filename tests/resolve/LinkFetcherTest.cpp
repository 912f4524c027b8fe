// From a page address to the video's: the page fetched into the scratch
// file, read back whole and handed to its site's parser.
#include "resolve/LinkFetcher.h"

#include "resolve/PageFile.h"
#include "resolve/PageParsers.h"
#include "resolve/SiteTable.h"
#include "support/RawServer.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

// Sees whether the transfer is a page fetch, as the main window's transfer
// event handlers do, and can stop it.
struct FetchWatcher final : net::DownloadEvents {
  void DownloadProgress(std::int64_t) override {
    sawGettingLink = sawGettingLink || fetcher->GettingLink();
    if (cancel)
      download->CancelDownload();
  }
  const LinkFetcher *fetcher = nullptr;
  net::Download *download = nullptr;
  bool cancel = false, sawGettingLink = false;
};

class LinkFetcherTest : public ::testing::Test, public testing::ContentServer {
protected:
  LinkFetcherTest() {
    net::ConnectionMap map;
    map.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    download.SetConnections(map);
    download.SetEvents(&watcher);
    watcher.fetcher = &fetcher;
    watcher.download = &download;
  }
  testing::TempDir dir;
  host::NoopPump pump;
  testing::RecordingMessageBox messages;
  net::Download download{pump, net::ConnectionMap{}};
  RedirectResolver resolver{pump, messages};
  LinkFetcher fetcher{download, resolver, dir / "Parse.wvi"};
  FetchWatcher watcher;
};

TEST_F(LinkFetcherTest, ResultCodesAndAddresses) {
  Serve("/file/clip", "<a href='http://media.putfile.com/c/clip.flv'>watch</a>");
  Serve("/file/nothing", "<html>no video here</html>");
  Serve("/index.cfm", "anything");
  WriteFile(fetcher.ScratchFile(), "old page");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.example.org/watch?v=1"), "-1");
  EXPECT_EQ(ReadFile(fetcher.ScratchFile()), "old page"); // nothing fetched
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/clip"),
            "http://media.putfile.com/c/clip.flv");
  EXPECT_TRUE(watcher.sawGettingLink);
  EXPECT_FALSE(fetcher.GettingLink());
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/nothing"), "0");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/file/gone"), "-2");
  // MySpace reads the address alone, but its page must still arrive.
  EXPECT_EQ(fetcher.GetDownloadLink("http://vids.myspace.com/index.cfm?videoid=1234567890"),
            std::string(kMyspaceContentBase) + "0012345/09/87/1234567890.flv");
  EXPECT_EQ(fetcher.GetDownloadLink("http://vids.myspace.com/gone?videoid=1234567890"), "-2");
  EXPECT_FALSE(fetcher.GettingLink());
}

TEST_F(LinkFetcherTest, AStalePageNeverReachesAParser) {
  const fs::path scratch = fetcher.ScratchFile();
  WriteFile(scratch, "<a href='http://stale.putfile.com/old.flv'>");
  fs::permissions(scratch, fs::perms::owner_read);
  Serve("/p", "plain page");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/p"), "0"); // read-only: replaced
  EXPECT_EQ(ReadFile(scratch), "plain page");
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/none"), "-2");
  EXPECT_FALSE(fs::exists(scratch));
  Serve("/big", std::string(100000, 'x') + "http://a.putfile.com/v.flv");
  watcher.cancel = true;
  EXPECT_EQ(fetcher.GetDownloadLink("http://www.putfile.com/big"), "-2"); // cancelled
  EXPECT_FALSE(fetcher.GettingLink());
  WriteFile(dir / "plainfile", "x");
  LinkFetcher blocked{download, resolver, dir / "plainfile" / "Parse.wvi"};
  watcher.cancel = false;
  EXPECT_EQ(blocked.GetDownloadLink("http://www.putfile.com/p"), "-2"); // cannot be written
  LinkFetcher noFolder{download, resolver, fs::path()};
  EXPECT_EQ(noFolder.GetDownloadLink("http://www.putfile.com/p"), "-2");
}

TEST(ReadPageFile, EveryByteOrNothing) {
  testing::TempDir dir;
  std::string bytes = testing::Pattern(200000, 7);
  bytes[10] = '\0';
  WriteFile(dir / "page", bytes);
  EXPECT_EQ(ReadPageFile(dir / "page"), bytes);
  WriteFile(dir / "empty", "");
  EXPECT_EQ(ReadPageFile(dir / "empty"), "");
  EXPECT_EQ(ReadPageFile(dir / "missing"), std::nullopt);
  EXPECT_EQ(ReadPageFile(dir.path()), std::nullopt); // a folder
  EXPECT_EQ(ParsePageFile(kSiteMyspace, dir / "missing", "http://v/?videoid=12345", nullptr), "");
}

} // namespace
} // namespace vidtrawl::resolve
