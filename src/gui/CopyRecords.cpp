#include "gui/CopyRecords.h"

namespace vidtrawl::gui {
namespace {

// How long a copy's owner has to send it before the command gives up on it,
// so that an owner that never answers does not hold back the copies after it.
constexpr const char *kSendSeconds = "2";

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

} // namespace

std::string CopyRecords::Command() const {
  // od reads no more than it prints, on one line; a longer copy is cut
  // there, and its owner sees the reader go as with any paste that stops.
  // timeout stays in wl-paste's process group, which ends with the reader.
  const std::string bytes = std::to_string(maxBytes_ + 1);
  return std::string("printf '>'; exec timeout --foreground -s KILL ") + kSendSeconds +
         " od -An -v -tx1 -w" + bytes + " -N" + bytes;
}

std::vector<CopyRecords::Copy> CopyRecords::Feed(std::string_view output) {
  std::vector<Copy> copies;
  for (const char c : output) {
    if (c == '>') {
      inRecord_ = true;
      broken_ = false;
      highNibble_ = -1;
      bytes_.clear();
      ++begun_;
    } else if (!inRecord_ || broken_) {
      continue;
    } else if (c == '\n') {
      if (highNibble_ < 0)
        copies.push_back({begun_ - 1, std::move(bytes_)});
      bytes_.clear();
      inRecord_ = false;
    } else if (c == ' ') {
      broken_ = highNibble_ >= 0;
    } else if (const int value = HexValue(c); value < 0) {
      broken_ = true;
    } else if (highNibble_ < 0) {
      highNibble_ = value;
    } else if (bytes_.size() == maxBytes_) {
      broken_ = true; // too long: not kept, never held whole
    } else {
      bytes_.push_back(static_cast<char>(highNibble_ << 4 | value));
      highNibble_ = -1;
    }
  }
  return copies;
}

} // namespace vidtrawl::gui
