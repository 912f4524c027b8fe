#pragma once

#include <string>
#include <vector>

namespace vidtrawl::base {

// What a browser (or a site extractor) gave one item's requests beyond the settings' options: its
// referer, user agent, cookies (lines of a Netscape cookies file, as curl's cookie list takes them)
// and headers. They go with that item's requests and with no other's, and never into the list file
// or the trace.
struct ItemRequest {
  std::string referer;
  std::string userAgent;
  std::vector<std::string> cookies;
  // "Name: value" lines a site extractor said its file's requests must carry.
  std::vector<std::string> headers = {};
};

} // namespace vidtrawl::base
