#include "net/OutputFile.h"

#include "base/FileDescriptor.h"
#include "net/TransferFault.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vidtrawl::net {

OutputFile::OutputFile(const std::string &path, std::size_t bufferSize)
    : path_(path), buffer_(bufferSize) {
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
  if (buffer_.empty()) {
    WriteThrough(data, size);
    return;
  }
  while (size > 0) {
    const std::size_t take = std::min(size, buffer_.size() - pending_);
    std::memcpy(buffer_.data() + pending_, data, take);
    pending_ += take;
    data += take;
    size -= take;
    if (pending_ == buffer_.size())
      Flush();
  }
}

void OutputFile::Flush() {
  const std::size_t pending = pending_;
  pending_ = 0;
  WriteThrough(buffer_.data(), pending);
}

void OutputFile::WriteThrough(const char *data, std::size_t size) {
  if (!base::WriteAll(fd_, std::string_view(data, size)))
    Fail("cannot write", errno);
}

void OutputFile::Close() {
  if (fd_ < 0)
    return;
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR)
    Fail("cannot close", errno);
}

void OutputFile::Abandon() {
  if (fd_ >= 0 && pending_ > 0) {
    try {
      Flush();
    } catch (...) {
    }
  }
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

void OutputFile::Fail(const char *what, int error) {
  throw TransferFault(TransferFault::Kind::LocalFile,
                      std::string(what) + " " + path_ + ": " + std::strerror(error));
}

} // namespace vidtrawl::net
