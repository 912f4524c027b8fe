#pragma once

namespace vidtrawl::pagesearch {

// How a video's address is to be fetched; the protocol picks the downloader.
enum class VideoProtocol {
  File, // one file, fetched whole
  Hls,  // an HLS playlist (.m3u8)
  Dash, // a DASH manifest (.mpd)
  // A site extractor's formats, fetched as their protocols ask and joined (a video and an audio
  // file, a format's fragments)
  Formats,
};

} // namespace vidtrawl::pagesearch
