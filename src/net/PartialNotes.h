#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::net {

// What a partial file of the program's says of itself: the program's mark,
// the address its bytes came from, and what the server called the version
// of the file they are of. Kept as extended attributes of the file; where
// its file system keeps none (ramfs, FAT sticks, some network mounts), in a
// small state file beside it ("NAME.vidtrawl-part.state") that names the
// file it speaks for by its device and inode, so that a later run finds the
// same facts under the same rules and no partial file becomes an orphan.
class PartialNotes {
public:
  static constexpr const char *kMark = "user.vidtrawl.partial";
  static constexpr const char *kSource = "user.vidtrawl.source";
  static constexpr const char *kVersion = "user.vidtrawl.version";
  static constexpr const char *kSegments = "user.vidtrawl.segments";
  static constexpr const char *kStateSuffix = ".state";

  // The notes of the open file `fd`, whose name is `part`.
  PartialNotes(int fd, std::string part) : fd_(fd), part_(std::move(part)) {}

  // Whether the file carries the program's mark.
  bool Marked() const;
  // A note (kSource or kVersion); empty when the file has none.
  std::string Get(const char *name) const;

  // Marks a file the program has just made; false when it cannot be marked
  // at all (then no later run takes it for the program's).
  bool Mark();
  // Sets a note; an empty value takes it away. False when it could not be kept.
  bool Set(const char *name, std::string_view value);
  // Every note goes: the file is complete, or gone.
  void Clear();

private:
  struct State;
  bool LoadState(State &state) const;
  bool ReadState(State &state) const;
  bool WriteState(const State &state) const;
  std::string StatePath() const { return part_ + kStateSuffix; }

  int fd_;
  std::string part_;
};

} // namespace vidtrawl::net
