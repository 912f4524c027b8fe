#pragma once

#include "channel/HandedItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vidtrawl::channel {

// A request that hands items to the running program over its socket: the
// four bytes "vtr2", the length of ItemsJson as 32 bits, big-endian, then
// that text. (A plain second start's addresses go as "vtr1", in the desktop's
// own form.) The running program answers one byte, kTaken, once it has read
// the request whole.
inline constexpr std::uint32_t kItemsMagic = 0x76747232;
inline constexpr char kTaken = 1;
// The most bytes of a request the running program reads.
inline constexpr std::size_t kMaxRequestBytes = 16 << 20;

std::string ItemsRequest(const std::vector<HandedItem> &items);

} // namespace vidtrawl::channel
