#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vidtrawl::browserhost {

// The browsers' native messaging framing: each message is its length as 32
// bits in this machine's byte order, then that many bytes of UTF-8 JSON.
inline constexpr std::size_t kMaxMessage = 1 << 20;

struct Frame {
  enum class End {
    Message,  // `text` is a whole message
    Closed,   // the input ended between two messages
    TooLarge, // the length said is over the limit; its body is not read
    Cut,      // the input ended inside a length or a body
  };
  End end = End::Closed;
  std::string text;
  std::size_t length = 0; // as the frame said
};

// Reads the next message from `fd`, waiting for it.
Frame ReadFrame(int fd, std::size_t limit = kMaxMessage);
// Writes one message to `fd`; false when it could not be written whole.
bool WriteFrame(int fd, std::string_view text);

} // namespace vidtrawl::browserhost
