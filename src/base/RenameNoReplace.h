#pragma once

#include <filesystem>

namespace vidtrawl::base {

// Renames a file within its file system without ever replacing another: the check and the rename
// are one step (renameat2's RENAME_NOREPLACE, or a hard link and an unlink where the file system
// has no such rename; where it has no links either (FAT), a look at `to` just before a plain
// rename). 0 when it was renamed, else the errno: EEXIST when `to` is there already.
int RenameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to);

} // namespace vidtrawl::base
