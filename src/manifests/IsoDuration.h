#pragma once

#include <optional>
#include <string_view>

namespace vidtrawl::manifests {

// An ISO 8601 duration as XML Schema writes it and DASH manifests use it ("PT1M30.5S",
// "P1DT2H"), in seconds; a year counts 365 days and a month 30. Nothing when malformed.
std::optional<double> ParseIsoDuration(std::string_view text);

} // namespace vidtrawl::manifests
