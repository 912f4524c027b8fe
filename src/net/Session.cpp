#include "net/Session.h"

#include <mutex>

namespace vidtrawl::net {

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Session::Session(host::Pump &pump, ConnectionMap connections, TimeLimits limits)
    : pump_(pump), connections_(std::move(connections)), limits_(limits),
      pool_((InitCurlOnce(), curl_share_init())), multi_(curl_multi_init()) {
  if (pool_ != nullptr) {
    curl_share_setopt(pool_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(pool_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  }
}

Session::~Session() {
  curl_multi_cleanup(multi_);
  curl_share_cleanup(pool_);
}

} // namespace vidtrawl::net
