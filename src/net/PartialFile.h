#pragma once

#include "base/FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vidtrawl::net {

// What a transfer writes instead of its target: TARGET.vidtrawl-part in the
// same folder, renamed to TARGET only once the last byte is in it, so that a
// transfer that fails or is cancelled leaves the folder as it was and its own
// bytes under a name that says they are partial and whose they are.
//
// The program touches no file it did not make. A partial file is created
// exclusively, never through a symbolic link, carries the program's mark (an
// extended attribute) and is held under an exclusive lock (flock) until it is
// renamed or given up. One left by an earlier run is removed before its name
// is used again only when it is a regular file with the mark that nobody
// holds locked; anything else of that name stays, and the name counts as
// taken (NameInUse). The rename never replaces a file: when the target
// appeared meanwhile, the file gets the next free "NAME (n).ext". Faults throw
// TransferFault (Kind::LocalFile) with a reason the user can read.
class PartialFile {
public:
  static constexpr const char *kSuffix = ".vidtrawl-part";
  static constexpr const char *kMark = "user.vidtrawl.partial";

  explicit PartialFile(std::string target);
  ~PartialFile() { Abandon(written_); }
  PartialFile(const PartialFile &) = delete;
  PartialFile &operator=(const PartialFile &) = delete;

  // Whether a new download may not be saved as `target`: a file (of any
  // kind) has that name, or the partial name holds something that is not a
  // stale partial file of this program.
  static bool NameInUse(const std::filesystem::path &target);

  const std::string &Path() const { return part_; }
  // Where the file is (or will be) once complete.
  const std::string &Target() const { return target_; }

  // Appends bytes; false with the reason kept (Fault) when the file refuses
  // them. Safe to call from inside a network callback: it never throws.
  bool Write(const char *data, std::size_t size);
  std::uint64_t Written() const { return written_; }
  bool Failed() const { return writeError_ != 0; }
  // Throws the kept write fault, if any.
  void ThrowIfFailed() const;

  // Closes the file and renames it to the target, or to the first free
  // variant of its name when the target appeared meanwhile (Target() then
  // names it).
  void Complete();
  // Cuts the file to its first `size` bytes (when it holds more) and closes
  // it, keeping it under its partial name; a file left empty is removed.
  // Ignores faults.
  void Abandon(std::uint64_t size);

private:
  void Claim();
  void RemoveOwnStale();
  bool RenameWithoutReplacing(const std::string &to) const;
  [[noreturn]] void Fail(const std::string &what, int error) const;

  std::string target_;
  std::string part_;
  base::FileDescriptor fd_;
  std::uint64_t written_ = 0;
  int writeError_ = 0;
};

} // namespace vidtrawl::net
