#include "base/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::base {

int RenameNoReplace(const std::filesystem::path &from, const std::filesystem::path &to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    return errno;
  // A link is refused where a file of the name is: nothing is replaced either way.
  if (::link(from.c_str(), to.c_str()) == 0) {
    if (::unlink(from.c_str()) != 0) {
      const int error = errno;
      ::unlink(to.c_str());
      return error;
    }
    return 0;
  }
  if (errno != EPERM && errno != ENOTSUP)
    return errno;
  // Nor links (FAT): the narrowest check there is.
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0 || errno != ENOENT)
    return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace vidtrawl::base
