#include "resolve/InstanceFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;

// A lock file is a regular file opened for writing: on NFS a flock is
// carried out as a POSIX lock, which needs that.
base::FileDescriptor OpenLock(const fs::path &file, int create) {
  int fd = -1;
  do
    fd = ::open(file.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | create, 0600);
  while (fd < 0 && errno == EINTR);
  return base::FileDescriptor(fd);
}

bool TakeLock(const base::FileDescriptor &lock, int how) {
  int result = -1;
  do
    result = ::flock(lock.Get(), how);
  while (result != 0 && errno == EINTR);
  return result == 0;
}

// A folder without a lock file is stale too: folders are made under the
// root's lock, which a sweep holds, so a folder it meets has its lock file
// unless its instance died before making it (or is of an older version).
bool InUse(const fs::path &folder) {
  const base::FileDescriptor lock = OpenLock(folder / InstanceFolder::kLockName, 0);
  if (!lock)
    return errno != ENOENT && errno != ELOOP; // not sure: leave it alone
  return !TakeLock(lock, LOCK_EX | LOCK_NB);
}

void RemoveStale(const fs::path &root) {
  std::error_code ec;
  for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    struct stat info {};
    // Only real folders of this user: never a link's target, never another's.
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || InUse(it->path()))
      continue;
    // The root is private, so nobody can swap what lies inside while it goes.
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

std::string Failed(const std::string &step) {
  return step + ": " + std::strerror(errno);
}

} // namespace

std::optional<InstanceFolder> InstanceFolder::Make(const fs::path &root, std::string &problem) {
  // Making a folder and sweeping take turns under the root's lock, so that a
  // sweep never meets a new folder before its lock is taken.
  const base::FileDescriptor rootLock = OpenLock(root / kLockName, O_CREAT);
  if (!rootLock || !TakeLock(rootLock, LOCK_EX)) {
    problem = Failed("cannot lock " + (root / kLockName).string());
    return std::nullopt;
  }
  RemoveStale(root);

  std::string name = (root / "XXXXXX").string();
  if (::mkdtemp(name.data()) == nullptr) {
    problem = Failed("cannot create a folder in " + root.string());
    return std::nullopt;
  }
  base::FileDescriptor lock = OpenLock(fs::path(name) / kLockName, O_CREAT | O_EXCL);
  if (!lock || !TakeLock(lock, LOCK_EX | LOCK_NB)) {
    problem = Failed("cannot lock " + (fs::path(name) / kLockName).string());
    std::error_code ignored;
    fs::remove_all(name, ignored);
    return std::nullopt;
  }
  return InstanceFolder(name, std::move(lock));
}

InstanceFolder::~InstanceFolder() {
  if (!lock_)
    return; // moved from
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

} // namespace vidtrawl::resolve
