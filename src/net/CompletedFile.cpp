#include "net/CompletedFile.h"

#include "base/FileDescriptor.h"
#include "base/NumberScan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace vidtrawl::net {

void CompletedFile::Mark(int fd, const std::string &source, std::uint64_t length,
                         const std::string &version) {
  // "LENGTH SOURCE", and the version on a line of its own (earlier notes have none).
  const std::string note =
      std::to_string(length) + " " + source + (version.empty() ? "" : "\n" + version);
  ::fsetxattr(fd, kMark, note.data(), note.size(), 0);
}

std::optional<std::uint64_t> CompletedFile::From(const std::filesystem::path &path,
                                                 const std::string &source,
                                                 const std::string &version) {
  const base::FileDescriptor fd(
      ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat info {};
  if (!fd || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  std::string note(source.size() + 1024, '\0');
  const ssize_t length = ::fgetxattr(fd.Get(), kMark, note.data(), note.size());
  if (length <= 0)
    return std::nullopt;
  note.resize(static_cast<std::size_t>(length));
  const std::size_t line = std::min(note.find('\n'), note.size());
  const std::string noted = note.substr(std::min(line + 1, note.size()));
  if (!version.empty() && !noted.empty() && noted != version)
    return std::nullopt;
  note.resize(line);
  const std::size_t blank = note.find(' ');
  const std::optional<std::uint64_t> size =
      base::ParseInteger<std::uint64_t>(std::string_view(note).substr(0, blank));
  if (blank == std::string::npos || !size || note.substr(blank + 1) != source ||
      *size != static_cast<std::uint64_t>(info.st_size))
    return std::nullopt;
  return size;
}

} // namespace vidtrawl::net
