#pragma once

#include <filesystem>
#include <string>

namespace vidtrawl::resolve {

// A folder for files that no other user may read, plant or swap: its real
// path (no symbolic link on the way), or an empty path and why none could be
// had.
struct PrivateFolder {
  std::filesystem::path path;
  std::string problem;
};

// `folder`, made where it is missing (each new level with mode 0700), when it
// is a real folder that this user owns (made private if it is not) and every
// folder above it is this user's or the system's and, where others may write
// to it, sticky as /tmp is. Otherwise another user could put a link in its
// place between a check and the next use of its name.
PrivateFolder MakePrivateFolder(const std::filesystem::path &folder);

// A new folder of a name no one can guess, beginning with `prefix`, in
// `parent`, when the folders up to and including `parent` pass the same test.
PrivateFolder MakeFreshPrivateFolder(const std::filesystem::path &parent,
                                     const std::string &prefix);

} // namespace vidtrawl::resolve
