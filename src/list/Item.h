#pragma once

#include "base/Fault.h"
#include "base/Phase.h"
#include "base/Trace.h"
#include "sites/Site.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::list {

using base::Phase;
using base::SizeKnown;

// An item's own number: given when it is added, never reused, never shown.
// Commands name items by it, since the list changes while jobs run.
using Serial = std::uint64_t;

// One download's record: what the list keeps of it, between runs too. What moves while a job
// works on it (bytes, speed) is the job's; the record holds what the last run left.
struct Item {
  Serial serial = 0;
  std::string address;               // the page address, as added
  const sites::Site *site = nullptr; // none: no supported site's address
  std::string videoAddress;          // the video file's, once the page is read
  // The user's form of the file's name ({title}, {id}, {site}, {ext}); empty: none.
  std::string nameTemplate;

  // Changed only by EnterPhase.
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

  // What the last run left: the bytes it had and the total it expected (0: none), a stream's
  // fragments (0 in all: no stream), its average speed and how long it took.
  std::uint64_t received = 0;
  std::uint64_t total = 0;
  std::size_t fragments = 0;
  std::size_t fragmentsStored = 0;
  double bytesPerSecond = 0;
  double transferSeconds = 0;

  // Complete: the folder held the file already, as this program had
  // completed it from the same address, and nothing was received.
  bool alreadyThere = false;

  // Failed: why.
  std::optional<base::Fault> fault;

  // A browser handed it over, with what its requests carry (kept in memory only, never here).
  bool handedOver = false;

  friend bool operator==(const Item &, const Item &) = default;
};

// The one place an item's phase changes: the change and why go to the trace.
void EnterPhase(Item &item, Phase phase, std::string_view why, const base::Trace &trace);

// A phase's word in the list file and the trace ("waiting", "receiving"); and back, older
// lists' words too.
std::string_view PhaseKey(Phase phase);
std::optional<Phase> PhaseOfKey(std::string_view key);

} // namespace vidtrawl::list
