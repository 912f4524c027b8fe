#include "media/FragmentStore.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::media {
namespace {

// The first words of every notes file of the program's; what follows names the store and plan.
constexpr std::string_view kMagic = "vidtrawl fragments ";
// Notes of a day of two-second fragments in two tracks, each cut a thousand times, are far
// smaller: a larger file is no notes file.
constexpr std::size_t kMaxNotes = 64 << 20;
constexpr std::string_view kSpoiled = "\x01\n";

base::Fault LocalFault(const std::string &what, int error = 0) {
  return {base::FaultKind::LocalFile, error == 0 ? what : what + ": " + std::strerror(error), 0,
          error};
}

// "DEVICE:INODE" of the file at `path`; empty when it cannot be looked at.
std::string IdentityOf(const std::string &path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return {};
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

// The whole text of an open regular file of notes' size; nothing otherwise.
std::optional<std::string> ReadAll(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) > kMaxNotes)
    return std::nullopt;
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t have = 0;
  while (have < text.size()) {
    const ssize_t got =
        ::pread(fd, text.data() + have, text.size() - have, static_cast<off_t>(have));
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return std::nullopt;
    have += static_cast<std::size_t>(got);
  }
  return text;
}

// Whether the file at `path` is a notes file of the program's (whatever store it speaks for).
bool OwnNotes(const std::string &path) {
  const base::FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  char start[kMagic.size()] = {};
  struct stat info {};
  return fd && ::fstat(fd.Get(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::pread(fd.Get(), start, sizeof start, 0) == static_cast<ssize_t>(sizeof start) &&
         std::string_view(start, sizeof start) == kMagic;
}

} // namespace

base::Outcome<FragmentStore> FragmentStore::Open(const std::string &target,
                                                 const std::string &source,
                                                 const std::string &identity,
                                                 std::array<std::size_t, 2> parts) {
  base::Outcome<net::PartialFile> claimed = net::PartialFile::Claim(target + kSuffix, source);
  if (claimed.Failed())
    return claimed.Failure();
  FragmentStore store(std::move(claimed.Value()), parts);
  // The notes speak for this very file, of this plan.
  const std::string header =
      std::string(kMagic) + "1 " + IdentityOf(store.file_.Path()) + " " + identity + "\n";
  if (store.file_.Version() == identity && store.ReadNotes(header))
    return store;
  if (store.file_.Offset() > 0)
    if (std::optional<base::Fault> fault = store.file_.Restart())
      return *fault;
  store.file_.SetVersion(identity);
  if (std::optional<base::Fault> fault = store.StartNotes(header))
    return *fault;
  return store;
}

FragmentStore::FragmentStore(net::PartialFile file, std::array<std::size_t, 2> parts)
    : file_(std::move(file)), parts_(parts), table_(parts, 0) {}

FragmentStore::~FragmentStore() {
  // An empty store goes when its file is given up: so do its notes.
  if (notes_ && *notes_ && file_.Written() == 0)
    ::unlink(NotesPath().c_str());
}

bool FragmentStore::ReadNotes(const std::string &header) {
  base::FileDescriptor fd(::open(NotesPath().c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  const std::optional<std::string> text = fd ? ReadAll(fd.Get()) : std::nullopt;
  if (!text || !text->starts_with(header))
    return false;
  FragmentTable table(parts_, file_.Offset());
  const std::string_view lines = *text;
  for (std::size_t start = header.size(), end; (end = lines.find('\n', start)) != std::string::npos;
       start = end + 1)
    table.Take(lines.substr(start, end - start));
  // A line a kill cut off is ended with a mark that spoils it (it may have lost its last digits),
  // so that the next begins on a line of its own.
  if (!text->ends_with('\n') && !base::WriteAll(fd.Get(), kSpoiled))
    return false;
  notes_ = std::make_shared<base::FileDescriptor>(std::move(fd));
  table_ = std::move(table);
  return true;
}

std::optional<base::Fault> FragmentStore::StartNotes(const std::string &header) {
  const std::string path = NotesPath();
  // What an earlier store of the name left goes; anything else at the name stays.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!OwnNotes(path))
      return LocalFault(path + " is in the way and is not a file of this program");
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
      return LocalFault("cannot remove the earlier " + path, errno);
  }
  notes_ = std::make_shared<base::FileDescriptor>(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!*notes_)
    return LocalFault("cannot create " + path, errno);
  return Note(header);
}

std::optional<base::Fault> FragmentStore::Note(const std::string &line) {
  if (std::optional<base::Fault> fault = WriteFault())
    return fault;
  if (!notes_ || !*notes_)
    return LocalFault("cannot note the fragments in " + NotesPath(), EBADF);
  // A note speaks for bytes in the file: the file's writer writes it after them, off the loop.
  file_.AfterBytes([notes = notes_, error = noteError_, line] {
    if (!base::WriteAll(notes->Get(), line))
      error->store(errno != 0 ? errno : EIO, std::memory_order_release);
  });
  return std::nullopt;
}

std::optional<base::Fault> FragmentStore::WriteFault() {
  if (std::optional<base::Fault> fault = file_.WriteFault())
    return fault;
  if (const int error = noteError_->load(std::memory_order_acquire))
    return LocalFault("cannot note the fragments in " + NotesPath(), error);
  return std::nullopt;
}

std::optional<base::Fault> FragmentStore::NoteCut(Track track, std::size_t part, const Cut &cut) {
  const bool plain = cut.validator.find_first_of("\r\n") == std::string::npos;
  if (cut.taken == 0 || cut.validator.empty() || !plain || Has(track, part))
    return std::nullopt;
  table_.SetCut(track, part, cut);
  return Note(FragmentTable::CutLine(track, part, cut));
}

std::optional<base::Fault> FragmentStore::Stored(Track track, std::size_t part,
                                                 std::uint64_t offset, std::uint64_t length) {
  if (!table_.Store(track, part, offset, length))
    return std::nullopt;
  return Note(FragmentTable::StoredLine(track, part, offset, length));
}

TrackSource FragmentStore::Source(Track track, std::size_t parts) const {
  const std::vector<FileSpan> spans = table_.Spans(track, parts);
  // A track of no bytes is no whole file: it reads as empty.
  return TrackSource(file_.Path(), spans.empty() ? std::vector<FileSpan>{{0, 0}} : spans);
}

void FragmentStore::Discard() {
  if (notes_ && *notes_)
    ::unlink(NotesPath().c_str());
  notes_.reset();
  file_.Discard();
}

void FragmentStore::Remove(const std::string &target, const std::string &source) {
  const std::string part = target + kSuffix + net::PartialFile::kSuffix;
  net::PartialFile::Remove(target + kSuffix, source);
  // Notes without their store are of no use; those of a store still there are its own.
  struct stat info {};
  const std::string notes = part + kNotesSuffix;
  if (::lstat(part.c_str(), &info) != 0 && errno == ENOENT && OwnNotes(notes))
    ::unlink(notes.c_str());
}

} // namespace vidtrawl::media
