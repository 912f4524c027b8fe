#pragma once

#include "base/FileDescriptor.h"

#include <cstdint>
#include <string>

namespace vidtrawl::net {

// What a transfer writes instead of its target: TARGET.part in the same
// folder, renamed over TARGET only once the last byte is in it, so that a
// transfer that fails or is cancelled leaves the target as it was and its
// own bytes under a name that says they are partial.
//
// The part file is created exclusively and never through a symbolic link,
// and held under an exclusive lock (flock) until it is renamed or given up.
// A part file left by an earlier attempt is removed first, but only when it
// is a regular file that nobody holds locked: two copies of the program
// saving the same name cannot write into each other's file, the second one
// fails instead. Faults throw TransferFault (Kind::LocalFile) with a reason
// the user can read.
class PartialFile {
public:
  static constexpr const char *kSuffix = ".part";

  explicit PartialFile(std::string target);
  ~PartialFile() { Abandon(); }
  PartialFile(const PartialFile &) = delete;
  PartialFile &operator=(const PartialFile &) = delete;

  const std::string &Path() const { return part_; }

  // Appends bytes; false with the reason kept (Fault) when the file refuses
  // them. Safe to call from inside a network callback: it never throws.
  bool Write(const char *data, std::size_t size);
  std::uint64_t Written() const { return written_; }
  bool Failed() const { return writeError_ != 0; }
  // Throws the kept write fault, if any.
  void ThrowIfFailed() const;

  // Closes the file and renames it over the target.
  void Complete();
  // Cuts the file to its first `size` bytes (when it holds more) and
  // closes it, keeping it under its partial name; ignores faults.
  void Abandon(std::uint64_t size);
  void Abandon();

private:
  void Claim();
  void RemoveStale();
  bool StillNamedByPath() const;
  [[noreturn]] void Fail(const std::string &what, int error) const;

  std::string target_;
  std::string part_;
  base::FileDescriptor fd_;
  std::uint64_t written_ = 0;
  int writeError_ = 0;
};

} // namespace vidtrawl::net
