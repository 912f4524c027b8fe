#include "resolve/PageParsers.h"
#include "resolve/PageSearch.h"

namespace vidtrawl::resolve {

// The player address lies between the first ";" after "embed src" and the
// next "&"; the redirect resolver turns it into the video address.
std::string ParseYoutube(std::string_view pageText, std::string_view,
                         const PlayerResolver &resolvePlayer) {
  const std::optional<Pos> m = FindFrom(pageText, "embed src", 1);
  if (!m)
    return {};
  const std::optional<Pos> a = FindFrom(pageText, ";", *m);
  if (!a)
    return {};
  const std::optional<Pos> b = FindFrom(pageText, "&", *a + 1);
  if (!b)
    return {};
  const std::optional<std::string> player = Mid(pageText, *a + 1, *b - *a - 1);
  if (!player || player->empty() || !resolvePlayer)
    return {};
  return resolvePlayer(*player);
}

} // namespace vidtrawl::resolve
