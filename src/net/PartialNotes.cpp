#include "net/PartialNotes.h"

#include "base/FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

constexpr char kMarkValue[] = "1";
// A state file is small; a larger one is not the program's.
constexpr std::size_t kMaxState = 64 * 1024;

// Whether a failed attribute call says the file system keeps no attributes.
bool NoAttributes(int error) {
  return error == ENOTSUP || error == EOPNOTSUPP;
}

} // namespace

// The notes as the state file keeps them: one "name=value" line each, the
// values with their line ends escaped, and the file they speak for.
struct PartialNotes::State {
  std::map<std::string, std::string> notes;
};

namespace {

std::string Escaped(std::string_view value) {
  std::string out;
  for (const char c : value)
    out += c == '\\' ? std::string("\\\\") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

std::string Unescaped(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      out += value[i + 1] == 'n' ? '\n' : value[i + 1];
      ++i;
    } else {
      out += value[i];
    }
  }
  return out;
}

// Who the open file is: "DEVICE:INODE".
std::string Identity(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return {};
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

} // namespace

// Reads the state file when it is the program's: a regular file in its
// form with the mark. Whether it speaks for this file is the caller's look.
bool PartialNotes::LoadState(State &state) const {
  const base::FileDescriptor fd(::open(StatePath().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat info {};
  if (!fd || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) > kMaxState)
    return false;
  std::string text(static_cast<std::size_t>(info.st_size), '\0');
  if (::read(fd.Get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    return false;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string_view line(text.data() + start, end - start);
    if (const std::size_t equals = line.find('='); equals != std::string_view::npos)
      state.notes[std::string(line.substr(0, equals))] = Unescaped(line.substr(equals + 1));
    start = end + 1;
  }
  return state.notes[kMark] == kMarkValue;
}

bool PartialNotes::ReadState(State &state) const {
  return LoadState(state) && state.notes["file"] == Identity(fd_);
}

bool PartialNotes::WriteState(const State &state) const {
  std::string text;
  for (const auto &[name, value] : state.notes)
    if (!value.empty())
      text += name + "=" + Escaped(value) + "\n";
  // Written into a new file of its own and renamed over: never an old one
  // half replaced.
  std::string temporary = StatePath() + ".XXXXXX";
  const base::FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd)
    return false;
  if (!base::WriteAll(fd.Get(), text) || ::rename(temporary.c_str(), StatePath().c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool PartialNotes::Marked() const {
  char value[sizeof kMarkValue] = {};
  if (::fgetxattr(fd_, kMark, value, sizeof value) > 0)
    return true;
  State state;
  return ReadState(state);
}

std::string PartialNotes::Get(const char *name) const {
  const ssize_t size = ::fgetxattr(fd_, name, nullptr, 0);
  if (size > 0 && static_cast<std::size_t>(size) <= kMaxState) {
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t length = ::fgetxattr(fd_, name, value.data(), value.size());
    if (length > 0) {
      value.resize(static_cast<std::size_t>(length));
      return value;
    }
  }
  // A file with its mark as an attribute keeps its notes there too.
  char mark[sizeof kMarkValue] = {};
  if (::fgetxattr(fd_, kMark, mark, sizeof mark) > 0)
    return {};
  State state;
  return ReadState(state) ? state.notes[name] : std::string();
}

bool PartialNotes::Mark() {
  if (::fsetxattr(fd_, kMark, kMarkValue, sizeof kMarkValue - 1, 0) == 0)
    return true;
  if (!NoAttributes(errno))
    return false;
  // A state file left by an earlier partial file of the name is replaced;
  // a file of that name that is not the program's stays, unmarked.
  State state;
  struct stat info {};
  if (::lstat(StatePath().c_str(), &info) == 0 && !LoadState(state))
    return false;
  state = State{};
  state.notes[kMark] = kMarkValue;
  state.notes["file"] = Identity(fd_);
  return WriteState(state);
}

bool PartialNotes::Set(const char *name, std::string_view value) {
  char mark[sizeof kMarkValue] = {};
  if (::fgetxattr(fd_, kMark, mark, sizeof mark) > 0) {
    if (value.empty())
      return ::fremovexattr(fd_, name) == 0 || errno == ENODATA;
    return ::fsetxattr(fd_, name, value.data(), value.size(), 0) == 0;
  }
  State state;
  if (!ReadState(state))
    return false;
  state.notes[name] = std::string(value);
  return WriteState(state);
}

void PartialNotes::Clear() {
  for (const char *name : {kMark, kSource, kVersion, kSegments})
    ::fremovexattr(fd_, name);
  State state;
  if (ReadState(state))
    ::unlink(StatePath().c_str());
}

} // namespace vidtrawl::net
