#pragma once

#include <filesystem>
#include <string>

namespace vidtrawl::base {

// Reading and replacing a small file of the program's own (the settings, the list) as a whole.
struct WholeFileText {
  enum class State {
    Missing,    // there is no such file: no values
    Read,       // text holds the whole file
    Unreadable, // it exists (or may) but could not be read: no values, and not to be replaced
    TooLarge,   // over the size asked for: not read, no values, and not to be replaced
  };
  State state = State::Missing;
  std::string text;
};

// Opens the file with full access first and, when that is denied, read-only:
// a file the user may only read is still read. Anything but a regular file
// is unreadable; one over `maxBytes` too large.
WholeFileText ReadWholeFile(const std::filesystem::path &file, std::size_t maxBytes);

// Replaces the file's content at once: the new text goes to a temporary file
// in the same folder (mode 0600), is flushed to the disk and renamed over the
// file, so the file is never seen half-written. A symbolic link is followed
// and its target replaced. Missing folders are created. False when anything
// failed; the old file is then untouched and no temporary file is left.
bool ReplaceWholeFile(const std::filesystem::path &file, const std::string &text);

} // namespace vidtrawl::base
