#include "sites/ExtractionRule.h"

#include <utility>

namespace vidtrawl::sites {

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

std::string ExtractAbsoluteAddress(std::string_view page, const ExtractionRule &rule) {
  std::optional<std::string> value = ExtractValue(page, rule);
  if (!value || !ContainsNoCase(*value, "http"))
    return {};
  return std::move(*value);
}

} // namespace vidtrawl::sites
