#pragma once

#include "engine/Config.h"

#include <filesystem>

namespace vidtrawl::engine {

// The configuration as the settings file keeps it, one value a key of the settings section.
// Reading takes what the file holds over the defaults (a number out of bounds to its nearest
// bound, anything unreadable as the default); a file too large to be a settings file is not read.
struct ConfigRead {
  Config config;
  bool tooLarge = false;
};
ConfigRead ReadConfig(const std::filesystem::path &file);
// Writes every value (those of the request options and "Known Sites Only" once they were set:
// a file that never had them stays without them); a file that cannot be read or written stays as
// it is.
void WriteConfig(const std::filesystem::path &file, const Config &config);

} // namespace vidtrawl::engine
