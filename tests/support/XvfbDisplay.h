#pragma once

#include <string>

#include <sys/types.h>

namespace vidtrawl::testing {

// A private X server (Xvfb) on a free display for the life of the object.
// Valid() is false when Xvfb is not installed or does not start.
class XvfbDisplay {
public:
  XvfbDisplay();
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay &) = delete;
  XvfbDisplay &operator=(const XvfbDisplay &) = delete;

  bool Valid() const { return !name_.empty(); }
  // ":N"
  const std::string &Name() const { return name_; }

private:
  pid_t pid_ = -1;
  std::string name_;
};

} // namespace vidtrawl::testing
