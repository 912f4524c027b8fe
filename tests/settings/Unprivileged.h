#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vidtrawl::testing {

// Runs check as a user without privileges and returns its answer. As root,
// permission bits do not bind, so the check runs in a child process that
// has given up root (user and group "nobody"); the files it touches must be
// reachable by that user. Without root it simply runs here.
inline bool RunUnprivileged(const std::function<bool()> &check) {
  if (::geteuid() != 0)
    return check();
  pid_t child = ::fork();
  if (child < 0)
    return false;
  if (child == 0) {
    bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child)
    return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vidtrawl::testing
