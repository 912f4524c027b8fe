#include "resolve/ExtractionRule.h"
#include "resolve/PageParsers.h"

namespace vidtrawl::resolve {
namespace {

constexpr std::string_view kMarker =
    "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";
static_assert(kMarker.size() == 63);
// The value follows the marker; its closing quote is looked for from the
// value's tenth character on.
constexpr ExtractionRule kRule{kMarker, 63, "\"", 72};

} // namespace

std::string ParseBlipTV(std::string_view pageText, std::string_view) {
  return ExtractValue(pageText, kRule).value_or(std::string());
}

} // namespace vidtrawl::resolve
