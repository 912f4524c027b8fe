#pragma once

#include "base/FileDescriptor.h"
#include "base/Outcome.h"
#include "net/PartialNotes.h"
#include "net/WriteBehind.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::net {

// What a transfer writes instead of its target: TARGET.vidtrawl-part in the
// same folder, renamed to TARGET only once the last byte is in it, so that a
// transfer that fails or is cancelled leaves the folder as it was and its own
// bytes under a name that says they are partial and whose they are.
//
// The program touches no file it did not make. A partial file is created
// exclusively, never through a symbolic link, carries the program's mark
// (PartialNotes) and is held under an exclusive lock (flock) until it is
// renamed or given up. A partial file belongs to the address it notes: one
// left by an earlier run is taken over by the same address (its bytes kept
// when it notes the version of the file they are of), and anything else at
// the name (another address's partial file, one being written, one that is
// not the program's) stays where it is and keeps the name taken. The rename
// never replaces a file: when the target appeared meanwhile, the file gets
// the next free "NAME (n).ext". Faults are LocalFile faults with a reason
// the user can read.
//
// Bytes are written behind, from a thread of the file's own (WriteBehind): a transfer holds its
// connection back while Backlogged(), and waits until the file is no longer Writing() before it
// judges its end. Every other change of the file or its notes first waits for the bytes handed
// in before it, so the notes never speak for bytes that are not in the file.
class PartialFile {
public:
  static constexpr const char *kSuffix = ".vidtrawl-part";
  static constexpr const char *kMark = PartialNotes::kMark;
  static constexpr const char *kSourceMark = PartialNotes::kSource;
  static constexpr const char *kVersionMark = PartialNotes::kVersion;
  static constexpr const char *kSegmentsMark = PartialNotes::kSegments;

  // What TARGET's partial name holds, as the file at `source` sees it.
  enum class Slot {
    Free,      // nothing, or a stale partial file of this address with nothing to go on from
    Resumable, // a stale partial file of this address with bytes of a known version
    Busy,      // another address's partial file, one being written, or not the program's
  };
  static Slot Probe(const std::filesystem::path &target, const std::string &source = {});

  // Claims TARGET's partial file for the file at `source`: a resumable one
  // is taken over with its bytes (Offset()), a free name gets a new file;
  // the fault says why it cannot be had.
  static base::Outcome<PartialFile> Claim(std::string target, std::string source = {});
  ~PartialFile() { Abandon(); }
  PartialFile(PartialFile &&) = default;
  PartialFile &operator=(PartialFile &&) = delete;
  PartialFile(const PartialFile &) = delete;
  PartialFile &operator=(const PartialFile &) = delete;

  // Removes TARGET's partial file when it is the program's, of `source`,
  // and nobody writes it: the download it held is no more. Anything else
  // at the name stays.
  static void Remove(const std::string &target, const std::string &source);

  // Whether a download of `source` may not be saved as `target`: a file (of
  // any kind) has that name, or its partial name is busy.
  static bool NameInUse(const std::filesystem::path &target, const std::string &source = {});

  // Where the file is (or will be) once complete, and where its bytes are meanwhile.
  const std::string &Target() const { return target_; }
  const std::string &Path() const { return part_; }
  // The file is to have another name once complete (in the same folder:
  // the partial file keeps its own); when that name is taken then, the
  // next free variant of `base` (a name of the folder) after it.
  void Retarget(std::string target, std::string base = {});

  // The bytes the file held when it was claimed, and the version of the
  // file they are of (empty for a new file).
  std::uint64_t Offset() const { return offset_; }
  std::uint64_t Written() const { return written_; }
  const std::string &Version() const { return version_; }
  // Notes the version of the file being received.
  void SetVersion(const std::string &version);
  // Empties the file, for a transfer that starts over.
  std::optional<base::Fault> Restart();

  // A file received in segments: made its whole length at once (its blocks
  // reserved where the file system can), written at places, and its map of
  // segments kept with it (empty: it has none).
  std::optional<base::Fault> Allocate(std::uint64_t length);
  bool WriteAt(std::uint64_t offset, const char *data, std::size_t size);
  std::string Segments() const;
  // Notes the map once the bytes handed in before it are written.
  bool SetSegments(const std::string &map);
  // Runs `task` on the file's writer once the bytes handed in before it are written; after a
  // failure to write, it is not run (WriteFault says why).
  void AfterBytes(std::function<void()> task);

  // Appends bytes; false when the file refuses them (WriteFault says why).
  // Safe to call from inside a network callback: it never throws, and never
  // waits for the disk.
  bool Write(const char *data, std::size_t size);
  std::optional<base::Fault> WriteFault();
  // Enough bytes wait for the disk that a transfer should hold back.
  bool Backlogged() { return behind_ && behind_->Full(); }
  // What to call, from the writer's thread, once a backlogged file has room again.
  void TellRoom(std::function<void()> told);
  // Bytes or notes handed in wait to be written.
  bool Writing() { return behind_ && behind_->Busy(); }
  // Waits until everything handed in is written (or has failed).
  void Flush();

  // Hands the file's completion to its writer, after its bytes: it is renamed to the target, or
  // to the first free variant of its name when the target appeared meanwhile, and its notes give
  // way to the completed file's mark. A file system may wait for the disk over an attribute, so
  // this is done off the loop: the file is Writing() until it is done.
  void BeginComplete();
  // Closes the completed file (Target() names it); the fault when it could not be completed.
  // Without BeginComplete before, the completion is done now.
  std::optional<base::Fault> Complete();
  // Closes the file, keeping it under its partial name; a file left empty
  // is removed.
  void Abandon();
  // Removes the file and its bytes: the download it was for is no more.
  void Discard();

private:
  explicit PartialFile(std::string target);
  std::optional<base::Fault> Take(const std::string &source);
  bool TakeOver(const std::string &source);
  std::optional<base::Fault> RemoveOwnStale(const std::string &source);
  void Unlink();
  struct Sealing {
    std::optional<base::Fault> fault;
    std::string target; // the name it has now
  };
  static Sealing Seal(int fd, const std::string &part, const std::string &target,
                      const std::string &base, const std::string &version);
  WriteBehind &Behind();
  // Takes up a failure of the writer: the bytes the file holds are what counts.
  bool Failed();
  // Waits for the writer and lets it go, before the file is closed or removed.
  void StopWriting(bool keep);

  std::string target_;
  std::string base_;
  std::string part_;
  base::FileDescriptor fd_;
  std::unique_ptr<WriteBehind> behind_; // after fd_: gone before it closes
  std::function<void()> roomTold_;
  std::shared_ptr<Sealing> sealing_; // the completion handed to the writer, done once it is idle
  std::uint64_t written_ = 0;        // handed in, whether or not written yet
  std::uint64_t offset_ = 0;
  std::string version_;
  int writeError_ = 0;
};

} // namespace vidtrawl::net
