#pragma once

#include "engine/Formats.h"

#include <string>

namespace vidtrawl::cli {

// What -F prints for one address: a heading naming it (and its title), then one line per format
// in aligned columns (ID, EXT, RESOLUTION, TYPE, BITRATE, SIZE), the one the quality takes
// marked "*".
std::string FormatTable(const std::string &address, const engine::FormatList &list);

} // namespace vidtrawl::cli
