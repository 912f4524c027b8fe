#include "net/RawHeaderBlock.h"

#include "base/AsciiCase.h"

namespace vidtrawl::net {
namespace {

// "HTTP/1.1 200 OK" -> 200; 0 when there is no three-digit code.
long ReadStatus(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || line.size() < space + 4)
    return 0;
  long code = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    if (line[i] < '0' || line[i] > '9')
      return 0;
    code = code * 10 + (line[i] - '0');
  }
  return code;
}

} // namespace

void RawHeaderBlock::AddLine(std::string_view line) {
  totalBytes_ += line.size();
  if (!line.empty() && line.back() == '\n')
    line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r')
    line.remove_suffix(1);

  if (line.starts_with("HTTP/")) {
    block_.clear();
    overflowed_ = false;
    hasLocation_ = false;
    ended_ = false;
    status_ = ReadStatus(line);
  } else if (line.empty()) {
    ended_ = true;
    return;
  } else if (base::StartsWithIgnoringCase(line, "location:")) {
    hasLocation_ = true;
  }

  if (overflowed_)
    return;
  if (block_.size() + line.size() + 2 > limit_) {
    overflowed_ = true;
    block_.clear();
    block_.shrink_to_fit();
    return;
  }
  block_.append(line);
  block_.append("\r\n");
}

} // namespace vidtrawl::net
