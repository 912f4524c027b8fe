#pragma once

#include "cli/StatusKind.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vidtrawl::cli {

// How one item looks at one moment, for the progress display. Its texts are
// as shown: control characters replaced (base::VisibleText).
struct ItemView {
  int id = 0;
  std::string url;      // the item's address text
  std::string fileName; // the item's file name text
  std::string status;   // the item's status text
  std::string sizeText; // the item's size text
  StatusKind kind = StatusKind::Other;
  std::int64_t bytes = -1; // bytes in its file (transferring or finished); -1: not known
  double total = 0;        // the size the server announced; 0: not known
  double rate = 0;         // bytes per second: recent while transferring, average after
  double seconds = 0;      // time spent transferring
  bool current = false;    // the item the pass is working on
};

struct ProgressSnapshot {
  std::vector<ItemView> items;
  bool running = false; // a pass is running
};

} // namespace vidtrawl::cli
