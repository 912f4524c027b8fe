#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {

// From the "http" before the first ".flv" (else the first ".wmv") through
// the extension.
std::string ParsePutFile(std::string_view pageText, std::string_view) {
  std::optional<Pos> e = FindFrom(pageText, ".flv", 1);
  if (!e)
    e = FindFrom(pageText, ".wmv", 1);
  if (!e)
    return {};
  const std::optional<Pos> h = FindBackward(pageText, "http", *e);
  if (!h)
    return {};
  return Mid(pageText, *h, *e - *h + 4).value_or(std::string());
}

} // namespace vidtrawl::resolve
