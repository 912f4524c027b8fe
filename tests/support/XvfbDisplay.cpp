#include "support/XvfbDisplay.h"

#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::testing {

XvfbDisplay::XvfbDisplay() {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0)
    return;
  pid_ = ::fork();
  if (pid_ == 0) {
    // The server writes its display number to descriptor 3 once it listens.
    ::dup2(pipe[1], 3);
    ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24",
             static_cast<char *>(nullptr));
    ::_exit(127);
  }
  ::close(pipe[1]);
  std::string number;
  pollfd wait{pipe[0], POLLIN, 0};
  char c = 0;
  while (pid_ > 0 && ::poll(&wait, 1, 10000) > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n')
    number += c;
  ::close(pipe[0]);
  if (!number.empty())
    name_ = ":" + number;
}

XvfbDisplay::~XvfbDisplay() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
}

} // namespace vidtrawl::testing
