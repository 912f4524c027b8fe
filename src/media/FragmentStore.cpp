#include "media/FragmentStore.h"

#include "base/NumberScan.h"

#include <algorithm>
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

char Letter(FragmentStore::Track track) {
  return track == FragmentStore::Track::Video ? 'v' : 'a';
}

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
    : file_(std::move(file)) {
  for (std::size_t track = 0; track < 2; ++track)
    slots_[track].resize(parts[track]);
}

FragmentStore::~FragmentStore() {
  // An empty store goes when its file is given up: so do its notes.
  if (notes_ && file_.Written() == 0)
    ::unlink(NotesPath().c_str());
}

bool FragmentStore::ReadNotes(const std::string &header) {
  base::FileDescriptor fd(::open(NotesPath().c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  const std::optional<std::string> text = fd ? ReadAll(fd.Get()) : std::nullopt;
  if (!text || !text->starts_with(header))
    return false;
  end_ = file_.Offset();
  for (std::size_t start = header.size(), end; (end = text->find('\n', start)) != std::string::npos;
       start = end + 1)
    Take(text->substr(start, end - start));
  // A line a kill cut off is ended with a mark that spoils it (it may have lost its last digits),
  // so that the next begins on a line of its own.
  if (!text->ends_with('\n') && !base::WriteAll(fd.Get(), kSpoiled))
    return false;
  notes_ = std::move(fd);
  return true;
}

void FragmentStore::Take(const std::string &line) {
  // "s TRACK PART OFFSET LENGTH" (whole) or "c TRACK PART OFFSET LENGTH TAKEN VALIDATOR" (cut);
  // a line of another form, or outside the file, is left out: that part is fetched again.
  const std::size_t fields = std::count(line.begin(), line.end(), ' ');
  if (std::any_of(line.begin(), line.end(), [](char c) { return c >= 0 && c < ' '; }))
    return; // a line a kill cut off, or no line of the program's
  if (line.size() < 5 || line[1] != ' ' || (line[2] != 'v' && line[2] != 'a') || line[3] != ' ')
    return;
  const std::size_t track = line[2] == 'v' ? 0 : 1;
  std::size_t at = 4;
  const auto next = [&]() -> std::optional<std::uint64_t> {
    const std::size_t space = std::min(line.find(' ', at), line.size());
    const std::string_view word(line.data() + at, space - at);
    at = space + 1;
    return base::AllDigits(word) ? base::ParseInteger<std::uint64_t>(word) : std::nullopt;
  };
  const auto part = next(), offset = next(), length = next();
  const std::uint64_t size = file_.Offset();
  if (!part || !offset || !length || *part >= slots_[track].size() || *offset > size ||
      *length > UINT64_MAX - *offset)
    return;
  Slot &slot = slots_[track][*part];
  if (slot.stored)
    return; // the first word on a whole part stands: it was fetched once
  const Key key{static_cast<int>(track), static_cast<std::size_t>(*part)};
  if (line[0] == 's' && fields == 4 && *length <= size - *offset) {
    slot = {*offset, *length, true};
    bytes_ += *length;
    cuts_.erase(key);
  } else if (line[0] == 'c' && fields >= 6) {
    const std::optional<std::uint64_t> taken = next();
    if (!taken || *taken > *length || *taken > size - *offset || at >= line.size())
      return;
    if (*taken == 0)
      cuts_.erase(key);
    else
      cuts_[key] = Cut{*offset, *length, *taken, line.substr(at)};
  } else {
    return;
  }
  end_ = std::max(end_, *offset + *length);
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
  notes_ = base::FileDescriptor(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!notes_)
    return LocalFault("cannot create " + path, errno);
  return Note(header);
}

std::optional<base::Fault> FragmentStore::Note(const std::string &line) {
  if (notes_ && base::WriteAll(notes_.Get(), line))
    return std::nullopt;
  return LocalFault("cannot note the fragments in " + NotesPath(), notes_ ? errno : EBADF);
}

bool FragmentStore::Has(Track track, std::size_t part) const {
  const std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  return part < slots.size() && slots[part].stored;
}

std::uint64_t FragmentStore::Length(Track track, std::size_t part) const {
  return Has(track, part) ? slots_[static_cast<std::size_t>(track)][part].length : 0;
}

std::optional<FragmentStore::Cut> FragmentStore::CutShort(Track track, std::size_t part) const {
  const auto found = cuts_.find({static_cast<int>(track), part});
  return found == cuts_.end() ? std::nullopt : std::optional<Cut>(found->second);
}

std::uint64_t FragmentStore::CutBytes() const {
  std::uint64_t bytes = 0;
  for (const auto &[key, cut] : cuts_)
    bytes += cut.taken;
  return bytes;
}

std::uint64_t FragmentStore::Reserve(std::uint64_t length) {
  const std::uint64_t offset = end_;
  end_ += length;
  return offset;
}

bool FragmentStore::Write(std::uint64_t offset, const char *data, std::size_t size) {
  return file_.WriteAt(offset, data, size);
}

std::optional<base::Fault> FragmentStore::NoteCut(Track track, std::size_t part, const Cut &cut) {
  const bool plain = cut.validator.find_first_of("\r\n") == std::string::npos;
  if (cut.taken == 0 || cut.validator.empty() || !plain || Has(track, part))
    return std::nullopt;
  cuts_[{static_cast<int>(track), part}] = cut;
  return Note(std::string("c ") + Letter(track) + ' ' + std::to_string(part) + ' ' +
              std::to_string(cut.offset) + ' ' + std::to_string(cut.length) + ' ' +
              std::to_string(cut.taken) + ' ' + cut.validator + '\n');
}

void FragmentStore::DropCut(Track track, std::size_t part) {
  cuts_.erase({static_cast<int>(track), part});
}

std::optional<base::Fault> FragmentStore::Stored(Track track, std::size_t part,
                                                 std::uint64_t offset, std::uint64_t length) {
  std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  if (part >= slots.size() || slots[part].stored)
    return std::nullopt;
  slots[part] = {offset, length, true};
  bytes_ += length;
  cuts_.erase({static_cast<int>(track), part});
  return Note(std::string("s ") + Letter(track) + ' ' + std::to_string(part) + ' ' +
              std::to_string(offset) + ' ' + std::to_string(length) + '\n');
}

TrackSource FragmentStore::Source(Track track, std::size_t parts) const {
  std::vector<FileSpan> spans;
  const std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  for (std::size_t part = 0; part < std::min(parts, slots.size()); ++part)
    if (slots[part].stored && slots[part].length > 0)
      spans.push_back({slots[part].offset, slots[part].length});
  // A track of no bytes is no whole file: it reads as empty.
  return TrackSource(file_.Path(), spans.empty() ? std::vector<FileSpan>{{0, 0}} : spans);
}

void FragmentStore::Discard() {
  if (notes_)
    ::unlink(NotesPath().c_str());
  notes_.Reset();
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
