#include "resolve/ExtractionRule.h"
#include "resolve/PageParsers.h"

namespace vidtrawl::resolve {
namespace {

constexpr std::string_view kMarker = "<embed src='";
static_assert(kMarker.size() == 12);
// The value follows the marker and ends at the next single quote.
constexpr ExtractionRule kRule{kMarker, 12, "'", 12};

} // namespace

std::string ParseThatVideoSite(std::string_view pageText, std::string_view) {
  const std::optional<std::string> value = ExtractValue(pageText, kRule);
  if (!value || !ContainsNoCase(*value, "http"))
    return {}; // a relative address is of no use
  return *value;
}

} // namespace vidtrawl::resolve
