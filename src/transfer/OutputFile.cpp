#include "transfer/OutputFile.h"

#include "transfer/TransferFault.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vidtrawl::transfer {

OutputFile::OutputFile(const std::string &path) : path_(path) {
  do
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0)
    Fail("cannot open", errno);
}

OutputFile::~OutputFile() {
  Abandon();
}

void OutputFile::Write(const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      Fail("cannot write", errno);
    }
    if (written == 0)
      Fail("cannot write", ENOSPC);
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void OutputFile::Close() {
  if (fd_ < 0)
    return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR)
    Fail("cannot close", errno);
}

void OutputFile::Abandon() {
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

void OutputFile::Fail(const char *what, int error) {
  throw TransferFault(TransferFault::Kind::LocalFile,
                      std::string(what) + " " + path_ + ": " + std::strerror(error));
}

} // namespace vidtrawl::transfer
