#include "list/FileInfo.h"

#include "resolve/SiteTable.h"
#include "support/LocalServer.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

using namespace vidtrawl;
using vidtrawl::testing::LocalServer;

namespace {

// Serves HEAD (and GET) answers whose headers the test chooses per path.
class FileInfoTest : public ::testing::Test {
protected:
  void SetUp() override {
    server.server().Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
      if (req.path.find("/missing") == 0) {
        res.status = 404;
        return;
      }
      if (!disposition.empty())
        res.set_header("Content-Disposition", disposition);
      if (req.path.find("/nosize") == 0) {
        res.set_chunked_content_provider("video/x-flv", [](size_t, httplib::DataSink &sink) {
          sink.done();
          return true;
        });
        return;
      }
      res.set_content(std::string(body, 'v'), "video/x-flv");
    });
    server.Start();
  }
  list::FileInfo Info(const std::string &path, int site) {
    return list::GetFileInfo(download, server.url(path), site);
  }

  LocalServer server;
  host::NoopPump pump;
  net::Download download{pump, net::ConnectionMap{}};
  std::string disposition;
  std::size_t body = 1536;
};

} // namespace

TEST_F(FileInfoTest, NameFromAddressWhenServerSendsNone) {
  const auto info = Info("/v/get_video?video_id=abc&t=xyz", resolve::kSiteYoutube);
  EXPECT_EQ(info.FileName, "get_videovideo_id=abct=xyz.flv");
  EXPECT_EQ(info.SizeText, "1.5 KB");
  EXPECT_EQ(download.FileSize(), 1536); // left for the transfer that follows
}

TEST_F(FileInfoTest, VideoExtensionInAddressBeatsServerName) {
  disposition = "attachment; filename=\"other.mp4\"";
  EXPECT_EQ(Info("/a/clip.FLV", resolve::kSitePutFile).FileName, "clip.FLV");
  EXPECT_EQ(Info("/a/clip.FLV", resolve::kSiteDailyMotion).FileName, "clip.FLV.flv");
  EXPECT_EQ(Info("/a/clip.wmv", resolve::kSiteZippyVideos).FileName, "clip.wmv.flv");
}

TEST_F(FileInfoTest, HostileServerNamesStayInsideTheFolder) {
  const struct {
    std::string disposition, name;
  } cases[] = {
      {"attachment; filename=\"../../x.flv\"", "x.flv"},
      {"attachment; filename=\".bashrc\"", "bashrc"},
      {"attachment; filename=\" ..profile\"; size=3", "profile"},
      {"attachment; filename=..", "Enter File Name"},
      {"attachment; filename=\"/etc/passwd\"", "etcpasswd"},
      {"attachment; filename=a\tb", "ab"},
  };
  for (const auto &c : cases) {
    disposition = c.disposition;
    EXPECT_EQ(Info("/get?id=1", resolve::kSiteBolt).FileName, c.name) << c.disposition;
  }
}

TEST_F(FileInfoTest, LongNamesAreCutAtACharacterKeepingTheExtension) {
  const std::string stem(120, 'n');
  auto info = Info("/" + stem + ".flv", resolve::kSiteBolt);
  EXPECT_EQ(info.FileName, std::string(96, 'n') + ".flv");

  std::string accents; // 190 bytes of two-byte characters
  for (int i = 0; i < 95; ++i)
    accents += "\xc3\xa9";
  disposition = "attachment; filename=\"" + accents + ".mp4\"; size=1000";
  EXPECT_EQ(Info("/get?x=1", resolve::kSiteBolt).FileName, accents.substr(0, 96) + ".mp4");
  disposition = "attachment; filename=\"a" + accents + ".webm\"";
  EXPECT_EQ(Info("/get?x=1", resolve::kSiteBolt).FileName, "a" + accents.substr(0, 94) + ".webm");

  const std::string forty = std::string(36, 'y') + ".mp4"; // 40 characters
  disposition = "attachment; filename=" + forty;
  info = Info("/get?x=1", resolve::kSiteYoutube);
  // ".flv" is appended first (44 characters), then the cut to 31 + 4.
  EXPECT_EQ(info.FileName, std::string(31, 'y') + ".flv");
}

TEST_F(FileInfoTest, SizeTextsForUnknownAndMissingFiles) {
  EXPECT_EQ(Info("/nosize/a.flv", resolve::kSiteBolt).SizeText, "0");
  EXPECT_EQ(download.FileSize(), -1);
  // A 404 answer with an empty body announces a size of 0.
  EXPECT_EQ(Info("/missing/a.flv", resolve::kSiteBolt).SizeText, "0 Bytes");
  EXPECT_FALSE(download.FileExists());
  body = 3 * 1048576 + 300000;
  EXPECT_EQ(Info("/big.flv", resolve::kSiteBolt).SizeText, "3.3 MB");
}

// GetFileInfo against a raw server that answers with exactly `answer`.
list::FileInfo InfoFromRawAnswer(const std::string &answer, const std::string &path) {
  vidtrawl::testing::RawServer server;
  server.SetReply({answer});
  host::NoopPump pump;
  net::Download download{pump, net::ConnectionMap{}};
  return list::GetFileInfo(download, "http://127.0.0.1:" + std::to_string(server.port()) + path,
                           resolve::kSiteBolt);
}

TEST(FileInfo, MissingFileWithoutSizeGivesMinusOneBytes) {
  const auto info =
      InfoFromRawAnswer("HTTP/1.1 404 Not Found\r\nConnection: close\r\n\r\n", "/v/a.flv");
  EXPECT_EQ(info.SizeText, "-1 Bytes");
  EXPECT_EQ(info.FileName, "a.flv");
}
