#include "net/Session.h"

#include <mutex>

namespace vidtrawl::net {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Session::Session(host::EventLoop &loop, ConnectionMap connections, TimeLimits limits)
    : connections_((InitCurlOnce(), std::move(connections))), limits_(limits), multi_(loop) {}

void Session::SetClient(ClientOptions client) {
  cookies_ = CookieJar(client.cookieFile);
  client_ = std::move(client);
}

} // namespace vidtrawl::net
