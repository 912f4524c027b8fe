#pragma once

#include "media/Remuxer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vidtrawl::media {

enum class FragmentTrack { Video, Audio };

// A fragment a store holds the beginning of.
struct FragmentCut {
  std::uint64_t offset = 0; // its room in the store
  std::uint64_t length = 0; // the room's size: the fragment's
  std::uint64_t taken = 0;  // the bytes at the room's start
  std::string validator;    // what the server called the resource they are of

  friend bool operator==(const FragmentCut &, const FragmentCut &) = default;
};

// Which of a stream's parts lie whole where in a fragment store's file, which are cut short,
// and where room is free, kept as the store's notes say, in lines: "s TRACK PART OFFSET LENGTH"
// for a whole part, "c TRACK PART OFFSET LENGTH TAKEN VALIDATOR" for a cut one (TRACK "v" or
// "a"). Each step costs the same whatever the count of parts.
class FragmentTable {
public:
  using Track = FragmentTrack;
  using Cut = FragmentCut;

  // For tracks of `parts` parts (video, audio) in a file of `fileSize` bytes.
  FragmentTable(std::array<std::size_t, 2> parts, std::uint64_t fileSize);

  // Merges a line of notes: the first word on a whole part stands (it was fetched once), the
  // last on a cut one. A line of another form, outside the file or of a part there is not, is
  // left out: that part is fetched again.
  void Take(std::string_view line);
  static std::string StoredLine(Track track, std::size_t part, std::uint64_t offset,
                                std::uint64_t length);
  static std::string CutLine(Track track, std::size_t part, const Cut &cut);

  bool Has(Track track, std::size_t part) const;
  std::uint64_t Length(Track track, std::size_t part) const; // 0: not whole
  std::optional<Cut> CutShort(Track track, std::size_t part) const;
  // Room for `length` bytes after every part's and cut's; where it is.
  std::uint64_t Reserve(std::uint64_t length);
  // A part is whole at `offset`; false when it was already.
  bool Store(Track track, std::size_t part, std::uint64_t offset, std::uint64_t length);
  void SetCut(Track track, std::size_t part, const Cut &cut);
  void DropCut(Track track, std::size_t part);

  std::uint64_t Bytes() const { return bytes_; } // of the whole parts
  std::uint64_t CutBytes() const;
  // The spans of the track's whole parts among its first `parts`, in stream order.
  std::vector<FileSpan> Spans(Track track, std::size_t parts) const;

private:
  struct Slot {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool stored = false;
  };
  using Key = std::pair<int, std::size_t>;
  static Key KeyOf(Track track, std::size_t part) { return {static_cast<int>(track), part}; }

  std::array<std::vector<Slot>, 2> slots_;
  std::map<Key, Cut> cuts_;
  std::uint64_t fileSize_;
  std::uint64_t end_;
  std::uint64_t bytes_ = 0;
};

} // namespace vidtrawl::media
