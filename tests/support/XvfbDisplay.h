#pragma once

#include <csignal>
#include <cstdio>
#include <string>

namespace vidtrawl::testing {

// A private X server (Xvfb) on a free display for the life of the object. Valid() is false when
// Xvfb is not installed or does not start.
class XvfbDisplay {
public:
  XvfbDisplay() {
    // Two lines in either order: the server's process id, and its display number once it listens.
    server_ = ::popen("Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>&1 >/dev/null "
                      "2>&1 & echo pid $!",
                      "r");
    for (char line[64]; server_ && (pid_ == 0 || name_.empty()) && std::fgets(line, 64, server_);)
      if (std::sscanf(line, "pid %d", &pid_) != 1)
        name_ = ":" + std::string(line).substr(0, std::string(line).find('\n'));
  }
  ~XvfbDisplay() {
    if (pid_ > 0)
      ::kill(pid_, SIGTERM);
    if (server_)
      ::pclose(server_);
  }
  XvfbDisplay(const XvfbDisplay &) = delete;
  XvfbDisplay &operator=(const XvfbDisplay &) = delete;

  bool Valid() const { return !name_.empty(); }
  const std::string &Name() const { return name_; } // ":N"

private:
  FILE *server_ = nullptr;
  int pid_ = 0;
  std::string name_;
};

} // namespace vidtrawl::testing
