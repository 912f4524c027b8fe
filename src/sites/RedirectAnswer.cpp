#include "sites/RedirectAnswer.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cstddef>

namespace vidtrawl::sites {

std::string YoutubePathFromAnswer(std::string_view answer) {
  constexpr std::string_view kHeader = "location:";
  const std::size_t l = base::FindIgnoringCase(answer, kHeader);
  if (l == std::string_view::npos)
    return {};
  const std::size_t e = answer.find("\r\n", l);
  const std::size_t valueStart = l + kHeader.size() + 1; // the blank after the colon
  if (e == std::string_view::npos || e <= valueStart)
    return {};
  const std::string_view value = answer.substr(valueStart, e - valueStart);
  const std::size_t query = value.find('?');
  if (query == std::string_view::npos)
    return {};
  return "/get_video" + std::string(value.substr(query));
}

} // namespace vidtrawl::sites
