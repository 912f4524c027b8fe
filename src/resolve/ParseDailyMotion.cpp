#include "net/UrlHelpers.h"
#include "resolve/ExtractionRule.h"
#include "resolve/PageParsers.h"

namespace vidtrawl::resolve {
namespace {

constexpr std::string_view kMarker = "addVariable(\"url\",";
static_assert(kMarker.size() == 18);
// The two characters after the marker (a blank and the opening quote) are
// skipped; the value ends at the next double quote.
constexpr ExtractionRule kRule{kMarker, 20, "\"", 20};

} // namespace

std::string ParseDailyMotion(std::string_view pageText, std::string_view) {
  const std::optional<std::string> value = ExtractValue(pageText, kRule);
  if (!value)
    return {};
  return net::UnescapeURL(*value);
}

} // namespace vidtrawl::resolve
