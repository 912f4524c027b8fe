#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {

// The page quotes its own address with the picture's address; the movie
// lies next to the picture under "/movie/" instead of "/image/".
std::string ParseBolt(std::string_view pageText, std::string_view pageAddress) {
  std::string marker = "Value=\"[url=";
  marker += pageAddress;
  marker += "][IMG]";
  const std::optional<Pos> m = FindFrom(pageText, marker, 1);
  if (!m)
    return {};
  const Pos v = *m + static_cast<Pos>(marker.size());
  const std::optional<Pos> d = FindFrom(pageText, "[/IMG]", v);
  if (!d)
    return {};
  std::optional<std::string> image = Mid(pageText, v, *d - v);
  if (!image)
    return {};

  std::string value = std::move(*image);
  if (const std::size_t cut = value.rfind('_'); cut != std::string::npos)
    value.resize(cut);
  else if (const std::size_t dot = value.rfind('.'); dot != std::string::npos)
    value.resize(dot);
  value = ReplaceAll(value, "/image/", "/movie/");
  if (!ContainsNoCase(value, ".flv"))
    value += ".flv";
  return value;
}

} // namespace vidtrawl::resolve
