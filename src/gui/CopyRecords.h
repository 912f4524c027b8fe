#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::gui {

// The command that wl-paste's watch mode runs for each copy, and the reading
// of what those commands write to the one pipe they share. A record is '>',
// written before the copy is read, then the copy's first bytes (one more
// than the longest text kept) in hex as od prints them (" 68 74"), then a
// newline: hex never holds '>' or a newline, so no copy can pass for the
// end of a record or the start of the next. A copy that is empty, or whose
// owner never finished sending it (the command is killed after a while),
// leaves a record with no newline, which the next '>' abandons.
class CopyRecords {
public:
  struct Copy {
    std::size_t record; // how many records began before this one
    std::string bytes;
  };

  explicit CopyRecords(std::size_t maxBytes) : maxBytes_(maxBytes) {}

  // The shell command for wl-paste --watch, the copy on its input.
  std::string Command() const;
  // Takes the next bytes of the commands' output; gives the copies whose
  // records they end, in order. A longer copy or a broken record gives none.
  std::vector<Copy> Feed(std::string_view output);
  std::size_t Begun() const { return begun_; }

private:
  std::size_t maxBytes_;
  std::size_t begun_ = 0;
  bool inRecord_ = false;
  bool broken_ = false; // too long, or not od's output
  int highNibble_ = -1;
  std::string bytes_;
};

} // namespace vidtrawl::gui
