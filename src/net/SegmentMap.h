#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::net {

// Which parts of a file of known length are in its partial file, when it is
// received over several connections at once: the file in segments, each
// filled from its start. It is kept with the partial file, so that a stopped
// or broken download goes on with every segment from where it stopped.
class SegmentMap {
public:
  struct Segment {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;  // one past its last byte
    std::uint64_t done = 0; // bytes in from `begin` on
    std::uint64_t Next() const { return begin + done; }
    std::uint64_t Left() const { return end - Next(); }
    bool Whole() const { return Next() >= end; }
  };

  // A file of `length` bytes whose first `have` are in, the rest split into
  // at most `parts` segments of at least `smallest` bytes.
  static SegmentMap Split(std::uint64_t length, std::uint64_t have, int parts,
                          std::uint64_t smallest);
  // A map as Text() wrote it, when it is one of a file of `length` bytes.
  static std::optional<SegmentMap> Read(std::string_view text, std::uint64_t length);
  // "BEGIN-END:DONE" for each segment in the file's order, joined by commas.
  std::string Text() const;

  std::uint64_t Length() const { return length_; }
  std::uint64_t Received() const;
  bool Complete() const;
  std::vector<Segment> &Segments() { return segments_; }
  const std::vector<Segment> &Segments() const { return segments_; }
  // Gives half of what the segment with the most left has left to a new
  // segment, when that half is at least `smallest`; the new one's index
  // (the others keep theirs).
  std::optional<std::size_t> SplitLargest(std::uint64_t smallest);

private:
  std::uint64_t length_ = 0;
  std::vector<Segment> segments_;
};

} // namespace vidtrawl::net
