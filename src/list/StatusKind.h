#pragma once

#include <optional>
#include <string_view>

namespace vidtrawl::list {

// What an item's status text says, for displays: the one place a status
// text is read back.
enum class StatusKind {
  Waiting,     // "Waiting": not processed yet
  Unsupported, // "Link is not supported"
  Fetching,    // "Preparing (N%)", "Preparing...": the page is being fetched
  Preparing,   // "Start Downloading...": the page is read, the video comes next
  Progress,    // a percentage, or a size text followed by " so far.."
  Complete,    // "Complete"
  Error,       // "ERROR"
  Cancelled,   // "Cancelled"
  Other,       // any other text
};

struct StatusClass {
  StatusKind kind = StatusKind::Other;
  // Fetching and Progress: the percentage the text names (not capped at
  // 100); nothing when it names none (a byte count, "Preparing...").
  std::optional<int> percent;
};

StatusClass ClassifyStatus(std::string_view status);

} // namespace vidtrawl::list
