#pragma once

#include <string>
#include <vector>

namespace vidtrawl::net {

// Who a request says it is: the known sites' pages are asked for as the
// program always asked for them; every other page and file as a browser of
// today asks, since many servers refuse an old browser.
enum class Agent { Legacy, Browser };

// How every request of the program presents itself and where it connects
// through, as the user set it (curl's and wget's options of these names).
struct ClientOptions {
  static constexpr const char *kLegacyAgent =
      "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
  static constexpr const char *kBrowserAgent =
      "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";

  // "scheme://host:port"; empty: curl's proxy variables of the environment
  // (http_proxy, https_proxy, all_proxy, no_proxy).
  std::string proxy = {};
  std::string userAgent = {}; // empty: by the Agent
  std::string referer = {};
  std::vector<std::string> headers = {}; // "Name: value", sent with every request
  std::string cookieFile = {};           // a Netscape cookies.txt; empty: none
};

} // namespace vidtrawl::net
