#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace vidtrawl::net {

// The cookies every request of a session sends: the user's cookies file, read once when it is set
// (not once a request: a browser's export holds tens of thousands), and what servers set since.
// Each request holds the jar it began with, so one set anew while requests run leaves them be.
class CookieJar {
public:
  // An empty jar of no file: requests then keep no cookies at all.
  CookieJar() = default;
  // The jar of the Netscape cookies file at `path` (empty: none).
  explicit CookieJar(const std::string &path);

  // The share a request takes its cookies from, null without a file.
  CURLSH *Share() const { return share_.get(); }

private:
  struct Cleanup {
    void operator()(CURLSH *share) const { curl_share_cleanup(share); }
  };
  std::shared_ptr<CURLSH> share_;
};

} // namespace vidtrawl::net
