// The local name and the size text of a video, from its address and the
// answer to its header request.
#include "list/FileInfo.h"

#include "resolve/SiteTable.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

namespace vidtrawl::list {
namespace {

using testing::RawResponse;

TEST(GetFileInfo, NameAndSizeFromTheAddressAndTheHeaders) {
  const std::string ok = "HTTP/1.1 200 OK", small = "Content-Length: 1536\r\n";
  const auto named = [&](const std::string &name) {
    return RawResponse(ok, small + "Content-Disposition: attachment; filename=" + name + "\r\n");
  };
  std::string accents; // 190 bytes of two-byte characters
  for (int i = 0; i < 95; ++i)
    accents += "\xc3\xa9";
  const struct {
    std::string answer, path;
    int site;
    std::string name, size;
  } cases[] = {
      {RawResponse(ok, small), "/v/get_video?video_id=abc&t=xyz", resolve::kSiteYoutube,
       "get_videovideo_id=abct=xyz.flv", "1.5 KB"},
      // A video extension in the address beats the server's name.
      {named("other.mp4"), "/a/clip.FLV", resolve::kSitePutFile, "clip.FLV", "1.5 KB"},
      {named("other.mp4"), "/a/clip.FLV", resolve::kSiteDailyMotion, "clip.FLV.flv", "1.5 KB"},
      {named("other.mp4"), "/a/clip.wmv", resolve::kSiteZippyVideos, "clip.wmv.flv", "1.5 KB"},
      {named("other.mp4"), "/a/flv", resolve::kSiteBolt, "other.mp4", "1.5 KB"},
      // Long names are cut at a character, keeping their extension.
      {RawResponse(ok, small), "/" + std::string(96, 'n') + ".flv", resolve::kSiteBolt,
       std::string(96, 'n') + ".flv", "1.5 KB"},
      {RawResponse(ok, small), "/" + std::string(120, 'n') + ".flv", resolve::kSiteBolt,
       std::string(96, 'n') + ".flv", "1.5 KB"},
      {named("\"" + accents + ".mp4\""), "/get", resolve::kSiteBolt, accents.substr(0, 96) + ".mp4",
       "1.5 KB"},
      {named("\"a" + accents + ".webm\""), "/get", resolve::kSiteBolt,
       "a" + accents.substr(0, 94) + ".webm", "1.5 KB"},
      {named(std::string(120, 'x') + ".abcdefghi"), "/get", resolve::kSiteBolt,
       std::string(96, 'x') + "fghi", "1.5 KB"},
      // ".flv" is appended first (44 characters), then the cut to 31 + 4.
      {named(std::string(36, 'y') + ".mp4"), "/get", resolve::kSiteYoutube,
       std::string(31, 'y') + ".flv", "1.5 KB"},
      {RawResponse(ok, ""), "/a.flv", resolve::kSiteBolt, "a.flv", "0"}, // size unknown
      {RawResponse("HTTP/1.1 404 Not Found", "Content-Length: 0\r\n"), "/a.flv", resolve::kSiteBolt,
       "a.flv", "0 Bytes"},
      {RawResponse("HTTP/1.1 404 Not Found", ""), "/a.flv", resolve::kSiteBolt, "a.flv",
       "-1 Bytes"},
      {RawResponse(ok, "Content-Length: 3445728\r\n"), "/b.flv", resolve::kSiteBolt, "b.flv",
       "3.3 MB"},
  };
  testing::RawServer server;
  host::NoopPump pump;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.answer + c.path);
    server.SetReply({c.answer});
    net::Download download(pump, net::ConnectionMap{});
    const FileInfo info = GetFileInfo(download, server.url(c.path), c.site);
    EXPECT_EQ(info.FileName, c.name);
    EXPECT_EQ(info.SizeText, c.size);
  }
}

} // namespace
} // namespace vidtrawl::list
