#pragma once

#include "base/Fault.h"
#include "base/Phase.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vidtrawl::engine {

using base::Fault;
using base::FaultKind;
using base::Phase;
using base::SizeKnown;

// An item's own number: given when it is added, never reused, never shown. Commands name items by
// it, since the list changes while jobs run.
using Serial = std::uint64_t;

// An item as a front end sees it at one moment: its record and, while a job works on it, its run.
// A copy: it stays as it was when the list changes.
struct ItemView {
  Serial serial = 0;
  std::string address;      // the page address, as added
  std::string videoAddress; // the video's, once the page is read
  Phase phase = Phase::Waiting;
  // The local file name, when the file or the user gave one; whether the user typed it.
  std::optional<std::string> fileName;
  bool nameTyped = false;
  // The folder its file goes (or went) in; empty before a pass took it.
  std::string folder;
  // The name of the partial file holding the bytes of its unfinished download; empty: none.
  std::string partName;
  SizeKnown sizeKnown = SizeKnown::Unknown;
  std::uint64_t size = 0;
  // Resolving: how much of the page arrived, in percent of its announced length (nothing when it
  // announced none).
  std::optional<int> pagePercent;
  // Receiving: its transfer told how far it is (before: it is being set up).
  bool started = false;
  // The bytes received and what they will come to (0: not known; a stream's is an estimate), a
  // stream's fragments in all and whole (0 in all: no stream); how fast they arrive (recent while
  // they do, on average once it ended; 0 while not known) and for how long they have.
  std::uint64_t received = 0;
  std::uint64_t total = 0;
  std::size_t fragments = 0;
  std::size_t fragmentsStored = 0;
  double bytesPerSecond = 0;
  double transferSeconds = 0;
  // A step that failed for now is tried again in this many seconds (0: none waits).
  int retryIn = 0;
  // Complete: the folder held the file already, as this program had completed it from the same
  // address, and nothing was received.
  bool alreadyThere = false;
  // Failed: why.
  std::optional<Fault> fault;
  // A browser handed it over, and what came with it (cookies, referer) went with the program's
  // last run: the item is asked for as a copied address is.
  bool handedRequestGone = false;
};

// Whether bytes of an unfinished download of the item lie in its partial file.
inline bool HoldsPartialFile(const ItemView &item) {
  return !item.partName.empty() && item.phase != Phase::Complete;
}

} // namespace vidtrawl::engine
