#pragma once

#include <string>
#include <vector>

namespace vidtrawl::base {

// What a browser gave one item's requests beyond the settings' options: its referer, user agent
// and cookies (lines of a Netscape cookies file, as curl's cookie list takes them). They go with
// that item's requests and with no other's, and never into the list file or the trace.
struct ItemRequest {
  std::string referer;
  std::string userAgent;
  std::vector<std::string> cookies;
};

} // namespace vidtrawl::base
