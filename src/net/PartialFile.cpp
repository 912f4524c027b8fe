#include "net/PartialFile.h"

#include "base/NameVariant.h"
#include "base/RenameNoReplace.h"
#include "net/CompletedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

namespace fs = std::filesystem;

// Claiming gives up after this many stale files were found and removed
// under it: something else keeps making them.
constexpr int kClaimAttempts = 3;
// A completed file whose target keeps appearing takes at most this many
// variants of its name before the transfer fails.
constexpr int kMaxVariants = 1000;

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

// The partial file that `part` names, opened for a look when it is a
// regular file with the program's mark that nobody writes; else nothing.
// errno tells why not (0: it is something else, or another's; EWOULDBLOCK:
// it is the program's and another download writes it).
base::FileDescriptor OpenOwnStale(const std::string &part, struct stat &named) {
  errno = 0;
  if (::lstat(part.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
    return {};
  base::FileDescriptor old(
      OpenRetrying(part.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  if (!old || ::fstat(old.Get(), &opened) != 0 || !SameFile(opened, named) ||
      !PartialNotes(old.Get(), part).Marked()) {
    errno = 0;
    return {};
  }
  if (::flock(old.Get(), LOCK_EX | LOCK_NB) != 0) {
    errno = EWOULDBLOCK;
    return {};
  }
  return old;
}

base::Fault LocalFault(const std::string &what, int error) {
  return {base::FaultKind::LocalFile, error == 0 ? what : what + ": " + std::strerror(error), 0,
          error};
}

} // namespace

// The open partial file `fd`, named `part`, renamed to `target` or to the first free variant of
// `base` (else of the target's name) after it; its notes give way to the completed file's mark.
// Run by the file's writer, after its bytes: the lock is held through the rename, so no other
// copy removes the file in between.
PartialFile::Sealing PartialFile::Seal(int fd, const std::string &part, const std::string &target,
                                       const std::string &base, const std::string &version) {
  if (!NamedBy(fd, part))
    return {LocalFault(part + " was removed or replaced while it was written", 0), {}};
  const fs::path path(target);
  const std::string name = path.filename().string();
  const std::string stem = base.empty() ? name : base;
  std::string to = target;
  for (int n = 1;; ++n) {
    if (n > kMaxVariants)
      return {
          LocalFault("cannot rename " + part + ": every name like " + target + " is taken", EEXIST),
          {}};
    if (n == 1 || base::NameVariant(stem, n) != name) {
      if (n > 1)
        to = (path.parent_path() / base::NameVariant(stem, n)).string();
      const int error = base::RenameNoReplace(part, to);
      if (error == 0)
        break;
      if (error != EEXIST)
        return {LocalFault("cannot rename " + part + " to " + to, error), {}};
    }
  }
  // An attribute removed can free a block of the file system, which may wait for the disk.
  PartialNotes notes(fd, part);
  const std::string source = notes.Get(kSourceMark);
  notes.Clear();
  struct stat info {};
  if (!source.empty() && ::fstat(fd, &info) == 0)
    CompletedFile::Mark(fd, source, static_cast<std::uint64_t>(info.st_size), version);
  return {std::nullopt, to};
}

PartialFile::PartialFile(std::string target)
    : target_(std::move(target)), part_(target_ + kSuffix) {}

PartialFile::Slot PartialFile::Probe(const fs::path &target, const std::string &source) {
  const std::string part = target.string() + kSuffix;
  // A name that cannot be looked at is no reason for another: the claim of
  // it fails and says why.
  struct stat named {};
  if (::lstat(part.c_str(), &named) != 0)
    return Slot::Free;
  const base::FileDescriptor old = OpenOwnStale(part, named);
  if (!old)
    return Slot::Busy;
  const PartialNotes notes(old.Get(), part);
  if (notes.Get(kSourceMark) != source)
    return Slot::Busy; // another address's bytes, to be taken up by it
  return named.st_size > 0 && !notes.Get(kVersionMark).empty() ? Slot::Resumable : Slot::Free;
}

base::Outcome<PartialFile> PartialFile::Claim(std::string target, std::string source) {
  PartialFile file(std::move(target));
  if (file.target_.empty())
    return LocalFault("cannot save a file without a name", ENOENT);
  if (file.TakeOver(source))
    return file;
  if (std::optional<base::Fault> fault = file.Take(source))
    return std::move(*fault);
  PartialNotes notes(file.fd_.Get(), file.part_);
  if (!source.empty())
    notes.Set(kSourceMark, source);
  return file;
}

void PartialFile::Remove(const std::string &target, const std::string &source) {
  PartialFile(target).RemoveOwnStale(source);
}

bool PartialFile::TakeOver(const std::string &source) {
  // Not opened for appending: a file received in segments is written at places.
  base::FileDescriptor fd(
      OpenRetrying(part_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  if (!fd || ::fstat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      !NamedBy(fd.Get(), part_) || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 ||
      ::lseek(fd.Get(), 0, SEEK_END) < 0)
    return false;
  const PartialNotes notes(fd.Get(), part_);
  if (!notes.Marked())
    return false;
  std::string version = notes.Get(kVersionMark);
  if (notes.Get(kSourceMark) != source || version.empty() || opened.st_size <= 0)
    return false;
  offset_ = written_ = static_cast<std::uint64_t>(opened.st_size);
  version_ = std::move(version);
  fd_ = std::move(fd);
  return true;
}

void PartialFile::SetVersion(const std::string &version) {
  Flush();
  version_ = version;
  if (fd_)
    PartialNotes(fd_.Get(), part_).Set(kVersionMark, version);
}

std::optional<base::Fault> PartialFile::Restart() {
  if (!fd_)
    return LocalFault("cannot start " + part_ + " over", EBADF);
  Flush();
  if (::ftruncate(fd_.Get(), 0) != 0 || ::lseek(fd_.Get(), 0, SEEK_SET) != 0)
    return LocalFault("cannot start " + part_ + " over", errno);
  offset_ = written_ = 0;
  PartialNotes(fd_.Get(), part_).Set(kSegmentsMark, {});
  return std::nullopt;
}

std::optional<base::Fault> PartialFile::Allocate(std::uint64_t length) {
  if (!fd_)
    return LocalFault("cannot write " + part_, EBADF);
  Flush();
  // Reserved now, a full disk shows before the first byte comes; only a file
  // system that cannot reserve gets a file of that length with holes.
  const auto size = static_cast<off_t>(length);
  if (::fallocate(fd_.Get(), 0, 0, size) != 0) {
    const int error = errno;
    if (error == ENOSPC || error == EDQUOT) {
      struct statvfs room {};
      const std::string free =
          ::fstatvfs(fd_.Get(), &room) == 0
              ? std::to_string(static_cast<std::uint64_t>(room.f_bavail) * room.f_frsize)
              : std::string("less");
      base::Fault fault = LocalFault("not enough room for " + part_, error);
      fault.detail = "not enough room for " + part_ + ": " + std::to_string(length) +
                     " bytes needed, " + free + " free";
      return fault;
    }
    if ((error != EOPNOTSUPP && error != ENOSYS) || ::ftruncate(fd_.Get(), size) != 0)
      return LocalFault("cannot make room for " + part_, errno);
  }
  struct stat info {};
  if (::fstat(fd_.Get(), &info) == 0)
    written_ = static_cast<std::uint64_t>(info.st_size);
  return std::nullopt;
}

bool PartialFile::WriteAt(std::uint64_t offset, const char *data, std::size_t size) {
  if (writeError_ != 0 || !fd_ || Failed())
    return false;
  Behind().Put(offset, data, size);
  written_ = std::max(written_, offset + size); // the file is this long at least
  return true;
}

std::string PartialFile::Segments() const {
  if (behind_)
    behind_->Drain(); // the last map handed in is the one noted
  return fd_ ? PartialNotes(fd_.Get(), part_).Get(kSegmentsMark) : std::string();
}

bool PartialFile::SetSegments(const std::string &map) {
  if (!fd_)
    return false;
  if (Writing()) {
    // A map that cannot be kept costs only the bytes a resume will ask for again.
    AfterBytes(
        [fd = fd_.Get(), part = part_, map] { PartialNotes(fd, part).Set(kSegmentsMark, map); });
    return true;
  }
  return PartialNotes(fd_.Get(), part_).Set(kSegmentsMark, map);
}

void PartialFile::AfterBytes(std::function<void()> task) {
  if (fd_)
    Behind().Then(std::move(task));
}

bool PartialFile::NameInUse(const fs::path &target, const std::string &source) {
  // A name that cannot be looked at is no reason for another: the claim
  // of it fails and says why.
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0)
    return true;
  return Probe(target, source) == Slot::Busy;
}

std::optional<base::Fault> PartialFile::Take(const std::string &source) {
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    base::FileDescriptor fd(
        OpenRetrying(part_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd) {
      if (errno != EEXIST)
        return LocalFault("cannot create " + part_, errno);
      if (std::optional<base::Fault> fault = RemoveOwnStale(source))
        return fault;
      continue;
    }
    // Another copy may have taken the new file for a stale one between its
    // creation and this lock; then it is either locked or gone already.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
      return LocalFault(part_ + " is being written by another download", 0);
    if (!NamedBy(fd.Get(), part_))
      continue;
    // A file that cannot be marked at all is taken for another's next
    // time: nothing is lost either way.
    PartialNotes(fd.Get(), part_).Mark();
    fd_ = std::move(fd);
    return std::nullopt;
  }
  return LocalFault("cannot claim " + part_, EEXIST);
}

std::optional<base::Fault> PartialFile::RemoveOwnStale(const std::string &source) {
  struct stat named {};
  const base::FileDescriptor old = OpenOwnStale(part_, named);
  if (!old) {
    if (errno == ENOENT)
      return std::nullopt; // gone meanwhile: look again
    if (errno == EWOULDBLOCK)
      return LocalFault(part_ + " is being written by another download", 0);
    return LocalFault(part_ + " is in the way and is not a partial download of this program", 0);
  }
  // Another address's bytes stay for it to take up.
  PartialNotes notes(old.Get(), part_);
  if (notes.Get(kSourceMark) != source)
    return LocalFault(part_ + " holds the partial download of another address", 0);
  // A writer holds its lock until it has renamed or given up its file.
  if (NamedBy(old.Get(), part_)) {
    notes.Clear();
    if (::unlink(part_.c_str()) != 0 && errno != ENOENT)
      return LocalFault("cannot remove the earlier " + part_, errno);
  }
  return std::nullopt;
}

bool PartialFile::Write(const char *data, std::size_t size) {
  if (writeError_ != 0 || !fd_ || Failed())
    return false;
  Behind().Put(written_, data, size);
  written_ += size;
  return true;
}

WriteBehind &PartialFile::Behind() {
  if (!behind_) {
    behind_ = std::make_unique<WriteBehind>(fd_.Get());
    behind_->TellRoom(roomTold_);
  }
  return *behind_;
}

void PartialFile::TellRoom(std::function<void()> told) {
  roomTold_ = std::move(told);
  if (behind_)
    behind_->TellRoom(roomTold_);
}

bool PartialFile::Failed() {
  if (!behind_ || behind_->Failure() == 0)
    return false;
  if (writeError_ != 0)
    return true;
  behind_->Drain();
  writeError_ = behind_->Failure();
  // What did go in is kept, and counts.
  struct stat info {};
  if (::fstat(fd_.Get(), &info) == 0)
    written_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

void PartialFile::Flush() {
  if (!behind_)
    return;
  behind_->Drain();
  Failed();
}

void PartialFile::StopWriting(bool keep) {
  if (!behind_)
    return;
  if (keep)
    Flush();
  else
    behind_->Drop();
  behind_.reset();
}

std::optional<base::Fault> PartialFile::WriteFault() {
  Failed();
  if (writeError_ == 0)
    return std::nullopt;
  return LocalFault("cannot write " + part_, writeError_);
}

std::optional<base::Fault> PartialFile::Complete() {
  if (!fd_)
    return LocalFault("cannot complete " + part_, EBADF);
  if (!sealing_)
    BeginComplete();
  Flush();
  if (std::optional<base::Fault> fault = WriteFault())
    return fault;
  const std::shared_ptr<const Sealing> sealed = std::move(sealing_);
  if (sealed->fault)
    return sealed->fault;
  if (sealed->target.empty())
    return LocalFault("cannot complete " + part_, ECANCELED);
  target_ = sealed->target;
  StopWriting(true);
  if (!fd_.Close())
    return LocalFault("cannot close " + target_, errno);
  return std::nullopt;
}

void PartialFile::BeginComplete() {
  if (!fd_ || sealing_)
    return;
  sealing_ = std::make_shared<Sealing>();
  Behind().Then([sealing = sealing_, fd = fd_.Get(), part = part_, target = target_, base = base_,
                 version = version_] { *sealing = Seal(fd, part, target, base, version); });
}

void PartialFile::Retarget(std::string target, std::string base) {
  target_ = std::move(target);
  base_ = std::move(base);
}

void PartialFile::Unlink() {
  StopWriting(false);
  // Still under the lock: what the name holds now is this file, under its partial name or, when
  // the writer completed it meanwhile, its own.
  if (fd_ && NamedBy(fd_.Get(), part_)) {
    PartialNotes(fd_.Get(), part_).Clear();
    ::unlink(part_.c_str());
  } else if (fd_ && sealing_ && !sealing_->target.empty() && NamedBy(fd_.Get(), sealing_->target)) {
    ::unlink(sealing_->target.c_str());
  }
  sealing_.reset();
  fd_.Reset();
}

void PartialFile::Abandon() {
  if (!fd_)
    return;
  StopWriting(true);
  // An empty file holds nothing worth keeping (one the writer completed meanwhile is kept).
  if (written_ == 0 && NamedBy(fd_.Get(), part_))
    Unlink();
  fd_.Reset();
}

void PartialFile::Discard() {
  Unlink();
}

} // namespace vidtrawl::net
