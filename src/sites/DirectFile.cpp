// A video file's own address on any host, or a streaming playlist's: it is
// the video's address, and no page is fetched.
#include "pagesearch/VideoFiles.h"
#include "sites/Site.h"

namespace vidtrawl::sites {
namespace {

bool IsVideoFile(const net::WebAddress &address) {
  return pagesearch::NamesVideoFile(address.path) ||
         pagesearch::NamesStreamingPlaylist(address.path);
}

} // namespace

extern const Site kDirectFile{
    .kind = SiteKind::VideoFile,
    .name = "video file",
    .domain = "",
    .isVideoPage = IsVideoFile,
    .parse = nullptr,
    .naming = {.titleOrPath = true},
    .sample =
        {
            .address = "http://media.example.net/clips/harbour-at-dusk.mp4",
            .text = "",
            .videoAddress = "http://media.example.net/clips/harbour-at-dusk.mp4",
            .fileName = "harbour-at-dusk.mp4",
            .video = {"/clips/harbour-at-dusk.mp4", 448 * 1024, true, ""},
        },
    .takes = IsVideoFile,
};

} // namespace vidtrawl::sites
