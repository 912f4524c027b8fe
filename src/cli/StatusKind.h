#pragma once

#include <string_view>

namespace vidtrawl::cli {

// The coarse states the console shows, from the engine's reading of a status.
enum class StatusKind {
  Waiting,     // "Waiting"
  Unsupported, // "Link is not supported"
  Preparing,   // "Preparing (N%)", "Preparing...", "Start Downloading..."
  Downloading, // a percentage, or a size text followed by " so far.."
  Complete,    // "Complete"
  Error,       // "ERROR"
  Cancelled,   // "Cancelled"
  Other,       // any other text
};

StatusKind KindOf(std::string_view status);

// A short name of the kind for progress lines ("Waiting", "Downloading", ...).
std::string_view KindName(StatusKind kind);

} // namespace vidtrawl::cli
