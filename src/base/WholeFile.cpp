#include "base/WholeFile.h"

#include "base/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

namespace vidtrawl::base {

namespace {

// Open without blocking (a FIFO put in the file's place must not hang us).
int OpenForReading(const std::filesystem::path &file) {
  int fd = ::open(file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
    fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  return fd;
}

// The file a write must replace: the target of a symbolic link, else the path.
std::filesystem::path WriteTarget(const std::filesystem::path &file) {
  std::error_code ec;
  std::filesystem::path target = file;
  for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
    std::filesystem::path next = std::filesystem::read_symlink(target, ec);
    if (ec)
      break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

void SyncFolder(const std::filesystem::path &folder) {
  const base::FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd)
    ::fsync(fd.Get());
}

} // namespace

WholeFileText ReadWholeFile(const std::filesystem::path &file, std::size_t maxBytes) {
  WholeFileText result;
  if (file.empty())
    return result;
  const base::FileDescriptor fd(OpenForReading(file));
  if (!fd) {
    result.state = (errno == ENOENT || errno == ENOTDIR) ? WholeFileText::State::Missing
                                                         : WholeFileText::State::Unreadable;
    return result;
  }
  result.state = WholeFileText::State::Unreadable;
  struct stat st {};
  if (::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode)) {
    std::string text;
    char buffer[65536];
    for (;;) {
      // Checked as it is read too: a file may grow meanwhile.
      if (static_cast<std::size_t>(st.st_size) > maxBytes || text.size() > maxBytes) {
        result.state = WholeFileText::State::TooLarge;
        break;
      }
      ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0)
        break;
      if (n == 0) {
        result.state = WholeFileText::State::Read;
        result.text = std::move(text);
        break;
      }
      text.append(buffer, static_cast<std::size_t>(n));
    }
  }
  return result;
}

bool ReplaceWholeFile(const std::filesystem::path &file, const std::string &text) {
  if (file.empty() || !file.has_filename())
    return false;
  std::filesystem::path target = WriteTarget(file);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty())
    folder = ".";
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec)
      return false;
    // The folder holds the user's settings: private to the user.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ec);
  }

  std::string temp = (folder / (target.filename().string() + ".XXXXXX")).string();
  base::FileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd)
    return false;
  bool ok =
      ::fchmod(fd.Get(), 0600) == 0 && base::WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

} // namespace vidtrawl::base
