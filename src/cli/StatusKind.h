#pragma once

#include "engine/Engine.h"

#include <string_view>

namespace vidtrawl::cli {

// The coarse states the console shows.
enum class StatusKind {
  Waiting,
  Unsupported,
  Preparing,   // the page is fetched and read, the file asked about
  Downloading, // the file's bytes are arriving
  Complete,
  Error,
  Cancelled,
};

StatusKind KindOf(engine::Phase phase);

// A short name of the kind for progress lines ("Waiting", "Downloading", ...).
std::string_view KindName(StatusKind kind);

} // namespace vidtrawl::cli
