#pragma once

#include <cstddef>
#include <string>

namespace vidtrawl::transfer {

// The local file a transfer writes: created if missing and truncated,
// written straight through (no buffer of its own), so that after each Write
// the file holds exactly what was written. Faults throw TransferFault
// (Kind::LocalFile).
class OutputFile {
public:
  explicit OutputFile(const std::string &path);
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  void Write(const char *data, std::size_t size);
  // Closes the file; throws when the close reports a fault.
  void Close();
  // Closes the file, ignoring any fault.
  void Abandon();

private:
  [[noreturn]] void Fail(const char *what, int error);

  std::string path_;
  int fd_ = -1;
};

} // namespace vidtrawl::transfer
