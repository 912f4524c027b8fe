#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// Rebuilds the raw header block of the final response from the header lines
// a response delivers one by one: the status line and the header lines, each
// ended by CR LF (a bare LF is taken as a line end too). A new status line
// starts the block afresh, so redirects and interim responses leave only the
// last response. A block longer than the limit is not kept: it overflows.
class RawHeaderBlock {
public:
  explicit RawHeaderBlock(std::size_t limit) : limit_(limit) {}

  // One line as received, its line end included (or not).
  void AddLine(std::string_view line);

  const std::string &Block() const { return block_; }
  bool Overflowed() const { return overflowed_; }
  // The status code of the current response, 0 when it has none or it
  // cannot be read.
  long Status() const { return status_; }
  // The current response has a "Location:" header.
  bool HasLocation() const { return hasLocation_; }
  // The blank line ending the current response's headers was seen.
  bool Ended() const { return ended_; }
  // Bytes of header lines received over all responses.
  std::size_t TotalBytes() const { return totalBytes_; }

private:
  std::size_t limit_;
  std::string block_;
  bool overflowed_ = false;
  long status_ = 0;
  bool hasLocation_ = false;
  bool ended_ = false;
  std::size_t totalBytes_ = 0;
};

} // namespace vidtrawl::net
