#pragma once

#include "cli/StatusKind.h"

#include <algorithm>
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
  std::string name;     // its file name, or its address while it has none
  std::string status;   // its status text
  std::string sizeText; // its size text
  std::string reason;   // why it failed
  StatusKind kind = StatusKind::Waiting;
  std::int64_t bytes = -1; // bytes received or saved; -1: none yet
  double total = 0;        // the size the transfer announced; 0: not known
  double rate = 0;         // bytes per second: recent while transferring, average after
  double seconds = 0;      // time spent transferring
  double secondsLeft = -1; // the rest of the transfer at its speed; -1: not known
  bool current = false;    // one of the items being downloaded
  // A stream's fragments, in all and whole (0 in all: no stream); its total is an estimate.
  std::size_t fragments = 0;
  std::size_t fragmentsStored = 0;

  // How far its transfer is, 0 to 1: a stream's bytes of its estimated size, short of 1 while a
  // fragment remains (by its fragments while nothing is estimated).
  double Fraction() const {
    if (fragments > 0 && !(total > 0))
      return static_cast<double>(fragmentsStored) / static_cast<double>(fragments);
    const double done =
        bytes > 0 && total > 0 ? std::min(static_cast<double>(bytes) / total, 1.0) : 0;
    return fragmentsStored < fragments ? std::min(done, 0.99) : done;
  }
};

struct ProgressSnapshot {
  std::vector<ItemView> items;
  bool running = false; // a pass is running
};

} // namespace vidtrawl::cli
