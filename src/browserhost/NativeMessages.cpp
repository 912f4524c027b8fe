#include "browserhost/NativeMessages.h"

#include "base/FileDescriptor.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace vidtrawl::browserhost {
namespace {

// Reads up to `size` bytes; fewer only at the end of the input (or a fault).
std::size_t ReadFully(int fd, char *into, std::size_t size) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, into + got, size - got);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

} // namespace

Frame ReadFrame(int fd, std::size_t limit) {
  Frame frame;
  std::uint32_t length = 0;
  const std::size_t got = ReadFully(fd, reinterpret_cast<char *>(&length), sizeof length);
  if (got < sizeof length) {
    frame.end = got == 0 ? Frame::End::Closed : Frame::End::Cut;
    return frame;
  }
  frame.length = length;
  if (length > limit) {
    frame.end = Frame::End::TooLarge;
    return frame;
  }
  frame.text.resize(length);
  frame.end =
      ReadFully(fd, frame.text.data(), length) == length ? Frame::End::Message : Frame::End::Cut;
  return frame;
}

bool WriteFrame(int fd, std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  std::string bytes(sizeof length, '\0');
  std::memcpy(bytes.data(), &length, sizeof length);
  bytes.append(text);
  return base::WriteAll(fd, bytes);
}

} // namespace vidtrawl::browserhost
