#include "resolve/PrivateFolder.h"

#include "base/FileDescriptor.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;

// The reason a step failed, with errno's text; call it right after the step.
std::string Failed(const std::string &step) {
  return step + ": " + std::strerror(errno);
}

std::string MakeLevels(const fs::path &folder) {
  fs::path at;
  for (const fs::path &part : folder) {
    at /= part;
    if (::mkdir(at.c_str(), 0700) != 0 && errno != EEXIST)
      return Failed("cannot create " + at.string());
  }
  return {};
}

// The first folder from the top down to `real` that another user could
// change, as the problem it makes; empty when there is none.
std::string OthersCanChange(const fs::path &real) {
  fs::path at;
  for (const fs::path &part : real) {
    at /= part;
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0)
      return Failed("cannot examine " + at.string());
    const bool trustedOwner = info.st_uid == 0 || info.st_uid == ::geteuid();
    const bool othersWrite =
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0;
    if (!trustedOwner || othersWrite)
      return "another user can change " + at.string();
  }
  return {};
}

} // namespace

PrivateFolder MakePrivateFolder(const fs::path &folder) {
  if (std::string problem = MakeLevels(folder); !problem.empty())
    return {{}, problem};
  const base::FileDescriptor opened(
      ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!opened) {
    const int error = errno;
    if (::lstat(folder.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
      return {{}, folder.string() + " is a symbolic link"};
    errno = error;
    return {{}, Failed("cannot open " + folder.string())};
  }
  if (::fstat(opened.Get(), &info) != 0)
    return {{}, Failed("cannot examine " + folder.string())};
  if (info.st_uid != ::geteuid())
    return {{}, folder.string() + " belongs to another user"};
  if ((info.st_mode & 077) != 0 && ::fchmod(opened.Get(), 0700) != 0)
    return {{}, Failed("cannot make " + folder.string() + " private")};

  std::error_code ec;
  fs::path real = fs::canonical(folder, ec);
  if (ec)
    return {{}, "cannot resolve " + folder.string() + ": " + ec.message()};
  if (std::string problem = OthersCanChange(real); !problem.empty())
    return {{}, problem};
  // The folder the real path names now is the one examined above.
  struct stat named {};
  if (::lstat(real.c_str(), &named) != 0 || named.st_dev != info.st_dev ||
      named.st_ino != info.st_ino)
    return {{}, folder.string() + " was replaced while it was examined"};
  return {std::move(real), {}};
}

PrivateFolder MakeFreshPrivateFolder(const fs::path &parent, const std::string &prefix) {
  std::error_code ec;
  const fs::path real = fs::canonical(parent, ec);
  if (ec)
    return {{}, "cannot resolve " + parent.string() + ": " + ec.message()};
  if (std::string problem = OthersCanChange(real); !problem.empty())
    return {{}, problem};
  std::string name = (real / (prefix + "XXXXXX")).string();
  if (::mkdtemp(name.data()) == nullptr)
    return {{}, Failed("cannot create a folder in " + real.string())};
  return {name, {}};
}

} // namespace vidtrawl::resolve
