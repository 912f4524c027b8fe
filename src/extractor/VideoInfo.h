#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vidtrawl::extractor {

// One fragment of a format fetched in pieces (yt-dlp's "fragments").
struct FormatFragment {
  std::string address; // absolute
  double seconds = 0;
};

// One way a video is offered, as the extractor describes it (yt-dlp's info JSON "formats").
struct Format {
  std::string id;
  std::string address;  // its "url"
  std::string protocol; // "https", "m3u8_native", "http_dash_segments", ...
  std::string ext;
  bool video = true; // what it carries: a codec of "none" says it lacks that track
  bool audio = true;
  int width = 0;
  int height = 0;
  double kbps = 0;                   // its "tbr", else "vbr" + "abr"
  std::optional<std::uint64_t> size; // its "filesize", else "filesize_approx", where it says
  // What each of its requests must carry ("Referer", "User-Agent", ...).
  std::vector<std::pair<std::string, std::string>> headers;
  std::vector<FormatFragment> fragments;
};

// One video of the extractor's answer.
struct VideoInfo {
  std::string id;
  std::string title;
  std::string uploader;
  std::string page; // its "webpage_url"
  std::vector<Format> formats;
};

// What the extractor said of an address: one video, or a playlist of them.
struct ExtractorAnswer {
  bool playlist = false;
  VideoInfo video;                         // the video, or the playlist's own title and id
  std::vector<VideoInfo> entries;          // a playlist's videos, in its order
  std::vector<std::string> entryAddresses; // where each entry may be asked for again
};

// Reads yt-dlp's info JSON (--dump-single-json). Nothing when the text is no JSON object; fields
// of other types than documented are taken as absent.
std::optional<ExtractorAnswer> ReadExtractorAnswer(std::string_view json);

} // namespace vidtrawl::extractor
