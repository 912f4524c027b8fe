#include "resolve/ExtractionRule.h"
#include "resolve/PageParsers.h"

namespace vidtrawl::resolve {
namespace {

constexpr std::string_view kMarker = "*url* : *http://";
static_assert(kMarker.size() == 16);
// The value begins with the "http://" at the marker's end and ends at the
// first "*," after the marker's start.
constexpr ExtractionRule kRule{kMarker, 9, "*,", 0};

} // namespace

std::string ParseIFilm(std::string_view pageText, std::string_view) {
  const std::optional<std::string> value = ExtractValue(pageText, kRule);
  if (!value)
    return {};
  return ReplaceAll(*value, "$", "&");
}

} // namespace vidtrawl::resolve
