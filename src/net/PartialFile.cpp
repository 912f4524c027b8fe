#include "net/PartialFile.h"

#include "net/TransferFault.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

// Claiming gives up after this many files were found and removed under it:
// something else keeps making them.
constexpr int kClaimAttempts = 3;

int OpenRetrying(const char *path, int flags, mode_t mode = 0) {
  int fd;
  do
    fd = ::open(path, flags, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool SameFile(const struct stat &a, const struct stat &b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the open file `fd` is the one the path names now.
bool NamedBy(int fd, const std::string &path) {
  struct stat open {};
  struct stat named {};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && SameFile(open, named);
}

} // namespace

PartialFile::PartialFile(std::string target)
    : target_(std::move(target)), part_(target_ + kSuffix) {
  if (target_.empty())
    Fail("cannot save a file without a name", ENOENT);
  Claim();
}

void PartialFile::Claim() {
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    base::FileDescriptor fd(
        OpenRetrying(part_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd) {
      if (errno != EEXIST)
        Fail("cannot create " + part_, errno);
      RemoveStale();
      continue;
    }
    // Another copy may have taken the new file for a stale one between its
    // creation and this lock; then it is either locked or gone already.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
      Fail(part_ + " is being written by another download", 0);
    if (!NamedBy(fd.Get(), part_))
      continue;
    fd_ = std::move(fd);
    return;
  }
  Fail("cannot claim " + part_, EEXIST);
}

void PartialFile::RemoveStale() {
  struct stat named {};
  if (::lstat(part_.c_str(), &named) != 0) {
    if (errno == ENOENT)
      return;
    Fail("cannot examine " + part_, errno);
  }
  if (!S_ISREG(named.st_mode))
    Fail(part_ + " is in the way and is not a regular file", 0);
  const base::FileDescriptor old(
      OpenRetrying(part_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!old) {
    if (errno == ENOENT)
      return;
    Fail("cannot remove the earlier " + part_, errno);
  }
  struct stat opened {};
  if (::fstat(old.Get(), &opened) != 0 || !SameFile(opened, named))
    return; // replaced meanwhile: look again
  // A writer holds its lock until it has renamed or given up its file.
  if (::flock(old.Get(), LOCK_EX | LOCK_NB) != 0)
    Fail(part_ + " is being written by another download", 0);
  if (NamedBy(old.Get(), part_) && ::unlink(part_.c_str()) != 0 && errno != ENOENT)
    Fail("cannot remove the earlier " + part_, errno);
}

bool PartialFile::Write(const char *data, std::size_t size) {
  if (writeError_ != 0 || !fd_)
    return false;
  if (!base::WriteAll(fd_.Get(), std::string_view(data, size))) {
    writeError_ = errno != 0 ? errno : EIO;
    return false;
  }
  written_ += size;
  return true;
}

void PartialFile::ThrowIfFailed() const {
  if (writeError_ != 0)
    Fail("cannot write " + part_, writeError_);
}

void PartialFile::Complete() {
  ThrowIfFailed();
  if (!fd_)
    Fail("cannot complete " + part_, EBADF);
  // The lock is held through the rename: no other copy removes the file
  // in between.
  if (!NamedBy(fd_.Get(), part_))
    Fail(part_ + " was removed or replaced while it was written", 0);
  if (::rename(part_.c_str(), target_.c_str()) != 0)
    Fail("cannot rename " + part_ + " to " + target_, errno);
  if (!fd_.Close())
    Fail("cannot close " + target_, errno);
}

void PartialFile::Abandon(std::uint64_t size) {
  if (fd_ && written_ > size && ::ftruncate(fd_.Get(), static_cast<off_t>(size)) == 0)
    written_ = size;
  fd_.Reset();
}

void PartialFile::Abandon() {
  fd_.Reset();
}

void PartialFile::Fail(const std::string &what, int error) const {
  throw TransferFault(TransferFault::Kind::LocalFile,
                      error == 0 ? what : what + ": " + std::strerror(error));
}

} // namespace vidtrawl::net
