#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::base {

// A rate in bytes per second as curl's --limit-rate takes it: a number
// (decimals allowed) with an optional k, M or G (any case) for KiB, MiB or
// GiB. Nothing for anything else, or for a rate below one byte.
std::optional<std::uint64_t> ParseByteRate(std::string_view text);

// The rate written the same way, as short as it is exact: "512k", "2M", "1000".
std::string ByteRateText(std::uint64_t bytesPerSecond);

} // namespace vidtrawl::base
