#pragma once

#include "media/Remuxer.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::media {

// What the remuxing module (vidtrawl-remux.so, built with FFmpeg's libraries) gives the program
// that loads it.
struct RemuxModule {
  base::Outcome<std::unique_ptr<Remuxer>> (*open)(const TrackSource &video,
                                                  const std::optional<TrackSource> &audio,
                                                  const std::filesystem::path &output);
};

// The module's one entry point.
extern "C" const RemuxModule *vidtrawl_remux_module();
inline constexpr const char *kRemuxModuleEntry = "vidtrawl_remux_module";
inline constexpr const char *kRemuxModuleFile = "vidtrawl-remux.so";

} // namespace vidtrawl::media
