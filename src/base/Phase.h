#pragma once

namespace vidtrawl::base {

// Where an item stands in its life: the one vocabulary of the list, the jobs and the front ends.
enum class Phase {
  Waiting,     // listed, its site recognised, not taken by a pass yet
  Unsupported, // listed, but its address is no supported site's
  Resolving,   // its page is fetched and searched for the video
  Asking,      // the video is known; its server is asked about the file
  Receiving,   // its bytes are on their way (a stream's fragments, then their joining)
  Complete,    // its file is in the folder
  Failed,      // it ended with a fault
  Cancelled,   // the user stopped the pass while it was worked on
  Paused,      // the user paused it: no pass takes it until it is resumed
};

// A job is at work on an item in these phases.
constexpr bool IsActive(Phase phase) {
  return phase == Phase::Resolving || phase == Phase::Asking || phase == Phase::Receiving;
}

// The pass leaves these alone: they are done, one way or the other.
constexpr bool IsFinished(Phase phase) {
  return phase == Phase::Complete || phase == Phase::Failed;
}

// What is known of an item's file size.
enum class SizeKnown {
  Unknown,     // not asked yet
  NotReported, // the server has the file but gives no size
  Missing,     // the server has no such file, or did not answer
  Bytes,       // the size is known: announced, or on disk once complete
};

} // namespace vidtrawl::base
