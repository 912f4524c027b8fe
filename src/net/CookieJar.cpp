#include "net/CookieJar.h"

namespace vidtrawl::net {

CookieJar::CookieJar(const std::string &path) {
  if (path.empty())
    return;
  CURLSH *share = curl_share_init();
  if (share == nullptr)
    return;
  share_.reset(share, Cleanup{});
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  // A handle of no transfer reads the file into the share; the handle goes, the cookies stay.
  CURL *reader = curl_easy_init();
  if (reader == nullptr)
    return;
  curl_easy_setopt(reader, CURLOPT_SHARE, share);
  curl_easy_setopt(reader, CURLOPT_COOKIEFILE, path.c_str());
  curl_easy_setopt(reader, CURLOPT_COOKIELIST, "RELOAD");
  curl_easy_cleanup(reader);
}

} // namespace vidtrawl::net
