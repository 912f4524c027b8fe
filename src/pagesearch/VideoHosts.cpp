#include "pagesearch/VideoHosts.h"

#include "net/WebAddress.h"

#include <array>
#include <utility>

namespace vidtrawl::pagesearch {

std::string_view VideoHostOf(std::string_view address) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kHosts{{
      {"youtube.com", "YouTube"},
      {"youtube-nocookie.com", "YouTube"},
      {"youtu.be", "YouTube"},
      {"vimeo.com", "Vimeo"},
      {"dailymotion.com", "Dailymotion"},
      {"dai.ly", "Dailymotion"},
  }};
  const auto parts = net::ParseWebAddress(address);
  if (!parts)
    return {};
  const std::string_view host = parts->host;
  for (const auto &[domain, name] : kHosts)
    if (host == domain || (host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.'))
      return name;
  return {};
}

} // namespace vidtrawl::pagesearch
