#include "cli/InputFile.h"

#include "base/FileDescriptor.h"
#include "base/TrimBlanks.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::cli {
namespace {

std::string Where(const std::string &name) {
  return name == "-" ? std::string("standard input") : "input file '" + name + "'";
}

} // namespace

InputEnd ReadAddresses(const std::string &name, const std::atomic<bool> &interrupted,
                       const std::function<bool(std::string)> &take, std::string &error) {
  base::FileDescriptor owned;
  int fd = STDIN_FILENO;
  if (name != "-") {
    owned = base::FileDescriptor(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (owned && ::fstat(owned.Get(), &info) == 0 && S_ISDIR(info.st_mode))
      errno = EISDIR;
    if (!owned || S_ISDIR(info.st_mode)) {
      error = "cannot read " + Where(name) + ": " + std::strerror(errno);
      return InputEnd::Failed;
    }
    fd = owned.Get();
  }

  std::string line;
  std::size_t number = 1;
  char buffer[65536];
  // Each line as it ends; false once the taker wants no more.
  const auto finish = [&]() {
    const std::string_view address = base::TrimBlanks(line);
    const bool more = address.empty() || address.front() == '#' || take(std::string(address));
    line.clear();
    ++number;
    return more;
  };
  for (;;) {
    // A wait in poll ends at a signal whatever the handler's flags say, and
    // at the latest after a tenth of a second (a signal just before it).
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, 100);
    if (interrupted.load())
      return InputEnd::Interrupted;
    if (polled < 0 && errno != EINTR) {
      error = "cannot read " + Where(name) + ": " + std::strerror(errno);
      return InputEnd::Failed;
    }
    if (polled <= 0)
      continue;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
      continue;
    if (got < 0) {
      error = "cannot read " + Where(name) + ": " + std::strerror(errno);
      return InputEnd::Failed;
    }
    if (got == 0)
      return line.empty() || finish() ? InputEnd::Read : InputEnd::Stopped;
    for (const char c : std::string_view(buffer, static_cast<std::size_t>(got))) {
      if (c == '\n') {
        if (!finish())
          return InputEnd::Stopped;
        continue;
      }
      if (c == '\0' || line.size() == kMaxInputLine) {
        error = "line " + std::to_string(number) + " of " + Where(name) +
                (c == '\0' ? std::string(" holds a NUL byte: not a list of addresses")
                           : " is longer than " + std::to_string(kMaxInputLine) + " bytes");
        return InputEnd::Failed;
      }
      line += c;
    }
  }
}

} // namespace vidtrawl::cli
