#include "net/WebAddress.h"

#include "base/AsciiCase.h"
#include "net/CurlRequest.h"

#include <curl/curl.h>

#include <memory>

namespace vidtrawl::net {
namespace {

// One part of a parsed address; empty when it has none.
std::string Part(CURLU *url, CURLUPart which) {
  char *text = nullptr;
  if (curl_url_get(url, which, &text, 0) != CURLUE_OK || text == nullptr)
    return {};
  std::string part(text);
  curl_free(text);
  return part;
}

using UrlHandle = std::unique_ptr<CURLU, void (*)(CURLU *)>;

bool HasNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

} // namespace

std::optional<std::string> ResolveWebAddress(std::string_view base, std::string_view reference) {
  InitCurlOnce();
  const UrlHandle url(curl_url(), curl_url_cleanup);
  if (!url || HasNul(base) || HasNul(reference) || reference.empty() ||
      curl_url_set(url.get(), CURLUPART_URL, std::string(base).c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, std::string(reference).c_str(), CURLU_URLENCODE) !=
          CURLUE_OK)
    return std::nullopt;
  const std::string resolved = Part(url.get(), CURLUPART_URL);
  if (!ParseWebAddress(resolved))
    return std::nullopt;
  return resolved;
}

std::optional<WebAddress> ParseWebAddress(std::string_view text) {
  InitCurlOnce();
  const std::unique_ptr<CURLU, void (*)(CURLU *)> url(curl_url(), curl_url_cleanup);
  // The text must hold no NUL (curl would read it as the end) and name its scheme.
  if (!url || text.find('\0') != std::string_view::npos ||
      curl_url_set(url.get(), CURLUPART_URL, std::string(text).c_str(), 0) != CURLUE_OK)
    return std::nullopt;
  const std::string scheme = base::LowerAscii(Part(url.get(), CURLUPART_SCHEME));
  WebAddress address{base::LowerAscii(Part(url.get(), CURLUPART_HOST)),
                     Part(url.get(), CURLUPART_PATH), Part(url.get(), CURLUPART_QUERY)};
  if ((scheme != "http" && scheme != "https") || address.host.empty())
    return std::nullopt;
  if (address.path.empty())
    address.path.push_back('/');
  return address;
}

} // namespace vidtrawl::net
