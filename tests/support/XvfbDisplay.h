#pragma once

#include "support/MissingTool.h"

#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::testing {

// A private X server (Xvfb) on a free display for the life of the object, and no longer than the
// test process: a test killed for its time leaves no server behind. Valid() is false when Xvfb is
// not installed or does not start.
class XvfbDisplay {
public:
  XvfbDisplay() {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
      return;
    pid_ = ::fork();
    if (pid_ == 0) { // only what is safe between fork and exec
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int null = ::open("/dev/null", O_WRONLY);
      if (ready[1] == 3)
        ::fcntl(3, F_SETFD, 0); // kept open across exec
      else
        ::dup2(ready[1], 3);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
               static_cast<char *>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    // The display's number, once it listens; nothing when the server could not start.
    if (FILE *number = ::fdopen(ready[0], "r")) {
      char line[64];
      if (pid_ > 0 && std::fgets(line, sizeof line, number))
        name_ = ":" + std::string(line).substr(0, std::string(line).find('\n'));
      std::fclose(number);
    } else {
      ::close(ready[0]);
    }
  }
  ~XvfbDisplay() {
    if (pid_ <= 0)
      return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  XvfbDisplay(const XvfbDisplay &) = delete;
  XvfbDisplay &operator=(const XvfbDisplay &) = delete;

  bool Valid() const { return !name_.empty(); }
  const std::string &Name() const { return name_; } // ":N"

private:
  pid_t pid_ = -1;
  std::string name_;
};

} // namespace vidtrawl::testing
