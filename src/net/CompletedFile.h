#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vidtrawl::net {

// A file the program completed notes the address it came from, its length
// and the version of the file it is (an extended attribute), so that a later
// download of the same address finds it there already instead of saving it
// once more, unless the server has another version now. Where the file
// system keeps no attributes, nothing is noted: the file is then downloaded
// again under a free name, as any file not the program's.
class CompletedFile {
public:
  static constexpr const char *kMark = "user.vidtrawl.downloaded";

  // Notes it on the open file `fd`, of `length` bytes, from `source`, of `version` (a strong
  // validator; empty: none known).
  static void Mark(int fd, const std::string &source, std::uint64_t length,
                   const std::string &version);
  // The length of the file at `path` when the program completed it from
  // `source`, it still has the length it had then, and it is of `version`
  // (when both that and the note name one); else nothing.
  static std::optional<std::uint64_t> From(const std::filesystem::path &path,
                                           const std::string &source,
                                           const std::string &version = {});
};

} // namespace vidtrawl::net
