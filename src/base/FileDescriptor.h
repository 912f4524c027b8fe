#pragma once

#include <string_view>
#include <utility>

namespace vidtrawl::base {

// Owns an open file descriptor and closes it when it goes.
class FileDescriptor {
public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor &operator=(FileDescriptor &&other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor &) = delete;
  FileDescriptor &operator=(const FileDescriptor &) = delete;

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  explicit operator bool() const { return Valid(); }
  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(fd_, -1); }
  // Closes the descriptor; false when the close reported a fault.
  bool Close();
  void Reset() { Close(); }

private:
  int fd_ = -1;
};

// Writes every byte, going on after interrupted and partial writes. False
// with errno set when the descriptor refuses a write (a write that makes no
// progress counts as ENOSPC).
bool WriteAll(int fd, std::string_view data);

} // namespace vidtrawl::base
