#pragma once

#include "base/Fault.h"
#include "host/EventLoop.h"
#include "net/PartialFile.h"

#include <functional>
#include <optional>

namespace vidtrawl::net {

// Completes a partial file without waiting on the loop: the completion is handed to the file's
// writer (PartialFile::BeginComplete), and `done` hears how it went once the writer is idle,
// looked at every WriteBehind::kCatchUp from the next turn of the loop on, never from inside the
// constructor. `done` is called last: it may end the owner of this. Ended before, it leaves the
// completion to the file.
class FileCompletion {
public:
  using Done = std::function<void(std::optional<base::Fault>)>;

  FileCompletion(host::EventLoop &loop, PartialFile &file, Done done);
  FileCompletion(const FileCompletion &) = delete;
  FileCompletion &operator=(const FileCompletion &) = delete;

private:
  void Look();

  PartialFile &file_;
  Done done_;
  host::Timer look_;
};

} // namespace vidtrawl::net
