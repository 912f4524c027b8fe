#include "resolve/InstanceFolder.h"

#include <algorithm>
#include <cctype>
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

// Whether `name` is one instances give their folders: the prefix and six
// letters or digits, as mkdtemp makes them.
bool InstanceName(const std::string &name) {
  const std::string_view prefix = InstanceFolder::kPrefix;
  if (name.size() != prefix.size() + 6 || !name.starts_with(prefix))
    return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

// Whether the folder holds only the files an instance keeps there.
bool OnlyOwnFiles(const fs::path &folder, const std::vector<std::string> &files) {
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
       it.increment(ec))
    if (std::find(files.begin(), files.end(), it->path().filename().string()) == files.end())
      return false;
  return !ec;
}

// Removes the folder's own files, then the folder (which stays when
// something else appeared in it meanwhile).
void RemoveOwn(const fs::path &folder, const std::vector<std::string> &files) {
  for (const std::string &name : files)
    ::unlink((folder / name).c_str());
  ::rmdir(folder.c_str());
}

// A stale folder of an instance: its lock file is there and free. Folders
// are made under the root's lock, which a sweep holds, so a folder it meets
// has its lock file unless it is no instance's.
bool Stale(const fs::path &folder) {
  const base::FileDescriptor lock = OpenLock(folder / InstanceFolder::kLockName, 0);
  struct stat info {};
  return lock && ::fstat(lock.Get(), &info) == 0 && S_ISREG(info.st_mode) &&
         TakeLock(lock, LOCK_EX | LOCK_NB);
}

void RemoveStale(const fs::path &root, const std::vector<std::string> &files) {
  std::error_code ec;
  for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    struct stat info {};
    // Only real folders of this user: never a link's target, never another's.
    if (!InstanceName(it->path().filename().string()) || ::lstat(it->path().c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || !OnlyOwnFiles(it->path(), files) ||
        !Stale(it->path()))
      continue;
    // The root is private, so nobody can swap what lies inside while it goes.
    RemoveOwn(it->path(), files);
  }
}

std::string Failed(const std::string &step) {
  return step + ": " + std::strerror(errno);
}

} // namespace

std::optional<InstanceFolder>
InstanceFolder::Make(const fs::path &root, std::vector<std::string> files, std::string &problem) {
  files.emplace_back(kLockName);
  // Making a folder and sweeping take turns under the root's lock, so that a
  // sweep never meets a new folder before its lock is taken.
  const base::FileDescriptor rootLock = OpenLock(root / kLockName, O_CREAT);
  if (!rootLock || !TakeLock(rootLock, LOCK_EX)) {
    problem = Failed("cannot lock " + (root / kLockName).string());
    return std::nullopt;
  }
  RemoveStale(root, files);

  std::string name = (root / (std::string(kPrefix) + "XXXXXX")).string();
  if (::mkdtemp(name.data()) == nullptr) {
    problem = Failed("cannot create a folder in " + root.string());
    return std::nullopt;
  }
  base::FileDescriptor lock = OpenLock(fs::path(name) / kLockName, O_CREAT | O_EXCL);
  if (!lock || !TakeLock(lock, LOCK_EX | LOCK_NB)) {
    problem = Failed("cannot lock " + (fs::path(name) / kLockName).string());
    RemoveOwn(name, files);
    return std::nullopt;
  }
  return InstanceFolder(name, std::move(lock), std::move(files));
}

InstanceFolder::~InstanceFolder() {
  if (lock_)
    RemoveOwn(path_, files_);
}

} // namespace vidtrawl::resolve
