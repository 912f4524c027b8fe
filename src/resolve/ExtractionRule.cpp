#include "resolve/ExtractionRule.h"

namespace vidtrawl::resolve {

std::optional<std::string> ExtractValue(std::string_view page, const ExtractionRule &rule) {
  const std::optional<Pos> m = FindFrom(page, rule.marker, 1);
  if (!m)
    return std::nullopt;
  const Pos v = *m + rule.valueOffset;
  const std::optional<Pos> d = FindFrom(page, rule.delimiter, *m + rule.delimiterFrom);
  if (!d)
    return std::nullopt;
  return Mid(page, v, *d - v);
}

} // namespace vidtrawl::resolve
