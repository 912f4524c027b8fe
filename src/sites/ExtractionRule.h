#pragma once

#include "sites/TextSearch.h"

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::sites {

// One marker-and-delimiter value: the marker is searched from position 1 (m
// its position); the value starts at m + valueOffset and ends before the
// first delimiter found from m + delimiterFrom.
struct ExtractionRule {
  std::string_view marker;
  Pos valueOffset;
  std::string_view delimiter;
  Pos delimiterFrom;
};

// The value, or nothing when the marker or the delimiter is missing or the
// value would start after its delimiter.
std::optional<std::string> ExtractValue(std::string_view page, const ExtractionRule &rule);

// The value when it holds "http" (a relative address is of no use); empty
// text otherwise.
std::string ExtractAbsoluteAddress(std::string_view page, const ExtractionRule &rule);

} // namespace vidtrawl::sites
