#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace vidtrawl::cli {

// How reading a file of addresses ended.
enum class InputEnd {
  Read,        // to its end
  Stopped,     // the taker wanted no more
  Interrupted, // the interrupt flag was raised while waiting for input
  Failed,      // `error` says why
};

// The longest line an input file may have: no address comes near it.
inline constexpr std::size_t kMaxInputLine = 8192;

// Reads the addresses of an input file ("-": standard input) line by line,
// blanks around each removed, blank lines and lines whose first non-blank
// is '#' skipped, and gives each to `take` until it returns false. Never
// holds more than one line: an endless input costs no memory, and a line
// over kMaxInputLine bytes or one holding a NUL byte ends the reading with
// an error. A wait for input ends when `interrupted` is raised.
InputEnd ReadAddresses(const std::string &name, const std::atomic<bool> &interrupted,
                       const std::function<bool(std::string)> &take, std::string &error);

} // namespace vidtrawl::cli
