#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {

// The address follows from the video number in the page address alone:
// base + p/d1/d2/n.flv, p being the number without its last five characters
// padded to seven, d1 and d2 its last four characters in pairs, reversed.
std::string ParseMyspace(std::string_view, std::string_view pageAddress) {
  const std::optional<Pos> k = FindFrom(pageAddress, "videoid=", 1);
  if (!k)
    return {};
  const std::optional<std::string> number = MidToEnd(pageAddress, *k + 8);
  if (!number || number->size() < 5)
    return {};
  const std::string &n = *number;
  const std::size_t size = n.size();

  std::string p = n.substr(0, size - 5);
  if (p.size() < 7)
    p.insert(0, 7 - p.size(), '0');
  const std::string d1{n[size - 1], n[size - 2]};
  const std::string d2{n[size - 3], n[size - 4]};
  return std::string(kMyspaceContentBase) + p + "/" + d1 + "/" + d2 + "/" + n + ".flv";
}

} // namespace vidtrawl::resolve
