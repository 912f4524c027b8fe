#pragma once

#include "base/Fault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::engine {

// One form a video is offered in: a file of one quality on a page, a variant of a stream, a
// track of a manifest; a site extractor's formats are told the same way.
struct Format {
  std::string id = {};  // how it is told apart: "file-720p", "hls-1080p", "dash-v3"
  std::string protocol; // how it is fetched: "file", "hls", "dash" (an extractor's: its words)
  std::string extension = {}; // of its file ("mp4", "webm"); empty when unknown
  int width = 0;              // 0: not stated
  int height = 0;
  std::uint64_t bitsPerSecond = 0; // 0: not stated
  std::optional<std::uint64_t> size = {};
  std::string codecs = {}; // as stated ("avc1.64001f,mp4a.40.2"); empty when not
  bool audioOnly = false;
  std::string address = {};
  bool chosen = false; // the one the quality configured takes
};

// What one address offers: the page's title and its formats, in the order offered; or why none
// could be listed.
struct FormatList {
  std::string title;
  std::vector<Format> formats;
  std::optional<base::Fault> fault;
};

} // namespace vidtrawl::engine
