#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vidtrawl::net {

// The local file a transfer writes: created if missing and truncated. With
// no buffer it is written straight through, so that after each Write the
// file holds exactly what was written; with a buffer, writes are gathered
// into blocks of that size and the file holds everything only after Flush
// (Close and Abandon flush too). Faults throw TransferFault (Kind::LocalFile).
class OutputFile {
public:
  explicit OutputFile(const std::string &path, std::size_t bufferSize = 0);
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  void Write(const char *data, std::size_t size);
  // Writes what the buffer holds.
  void Flush();
  // Closes the file; throws when the close reports a fault.
  void Close();
  // Writes what it can of the buffer and closes the file, ignoring any fault.
  void Abandon();

private:
  void WriteThrough(const char *data, std::size_t size);
  [[noreturn]] void Fail(const char *what, int error);

  std::string path_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t pending_ = 0; // bytes of buffer_ not written yet
};

} // namespace vidtrawl::net
