#pragma once

#include "base/Fault.h"
#include "sites/Site.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vidtrawl::list {

// An item's own number: given when it is added, never reused, never shown.
// Commands name items by it, since the list changes while jobs run.
using Serial = std::uint64_t;

// Where an item stands.
enum class Phase {
  Waiting,      // added, its site recognised, not processed yet
  Unsupported,  // added, but its address is no supported site's
  Preparing,    // its page is fetched and read, then the file asked about
  Transferring, // its file's bytes are arriving
  Complete,     // its file is in the folder
  Failed,       // it ended with a fault
  Cancelled,    // the user stopped the pass while it was worked on
  Paused,       // the user paused it: no pass takes it until it is resumed
};

// What is known of the file's size.
enum class SizeKnown {
  Unknown,     // not asked yet
  NotReported, // the server has the file but gives no size
  Missing,     // the server has no such file, or did not answer
  Bytes,       // `size` bytes: announced, or on disk once complete
};

// One download, in typed state: the texts users see are made from it where
// they are shown (see ItemText.h).
struct Item {
  Serial serial = 0;
  std::string address;               // the page address, as added
  const sites::Site *site = nullptr; // none: no supported site's address
  std::string videoAddress;          // the video file's, once the page is read
  // The user's form of the file's name ({title}, {id}, {site}, {ext}); empty: none.
  std::string nameTemplate;

  Phase phase = Phase::Waiting;
  // The local file name: derived from the file (or its address) or typed by
  // the user; nothing until one of them gives it. A typed name stays.
  std::optional<std::string> fileName;
  bool nameTyped = false;
  // The folder the pass put (or is putting) the file in; empty before.
  std::string folder;
  // The name whose partial file ("NAME.vidtrawl-part") holds the bytes of
  // an unfinished download of the item; empty when there is none. A later
  // download takes them up from there, whatever the file's name becomes.
  std::string partName;

  SizeKnown sizeKnown = SizeKnown::Unknown;
  std::uint64_t size = 0;

  // Preparing: how much of the page arrived, in percent of its announced
  // length (nothing when it announced none), and whether it is read.
  std::optional<int> pagePercent;
  bool pageRead = false;
  // Transferring (and after): the bytes received, and what the transfer
  // announced (0: nothing).
  std::uint64_t received = 0;
  std::uint64_t total = 0;
  // A stream's fragments: in all, and whole (0 in all: no stream). Its total is then an
  // estimate until every fragment is in.
  std::size_t fragments = 0;
  std::size_t fragmentsStored = 0;
  // How fast the bytes arrive: over the last few seconds while they do, on
  // average over the whole transfer once it ended; 0 until it is known. And
  // how long the transfer has taken.
  double bytesPerSecond = 0;
  double transferSeconds = 0;

  // Complete: the folder held the file already, as this program had
  // completed it from the same address, and nothing was received.
  bool alreadyThere = false;

  // Failed: why.
  std::optional<base::Fault> fault;

  friend bool operator==(const Item &, const Item &) = default;
};

// The pass leaves these alone: they are done, one way or the other.
inline bool IsFinished(const Item &item) {
  return item.phase == Phase::Complete || item.phase == Phase::Failed;
}

} // namespace vidtrawl::list
