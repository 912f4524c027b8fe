#pragma once

namespace vidtrawl::pagesearch {

// How a video's address is to be fetched; the protocol picks the downloader.
enum class VideoProtocol {
  File, // one file, fetched whole
  Hls,  // an HLS playlist (.m3u8)
  Dash, // a DASH manifest (.mpd)
};

} // namespace vidtrawl::pagesearch
