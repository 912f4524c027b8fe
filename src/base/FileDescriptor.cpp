#include "base/FileDescriptor.h"

#include <cerrno>

#include <unistd.h>

namespace vidtrawl::base {

bool FileDescriptor::Close() {
  if (fd_ < 0)
    return true;
  const int fd = std::exchange(fd_, -1);
  // Linux releases the descriptor also when close is interrupted.
  return ::close(fd) == 0 || errno == EINTR;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t wrote = ::write(fd, data.data(), data.size());
    if (wrote < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (wrote == 0) {
      errno = ENOSPC;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

} // namespace vidtrawl::base
