#pragma once

#include "base/Outcome.h"
#include "net/FileCompletion.h"
#include "net/FileTransfer.h"
#include "net/PartialFile.h"
#include "net/SegmentedTransfer.h"
#include "net/Session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::net {

// A file's bytes into its partial file, over as many connections as the
// session's rules allow and the server and file suit (SegmentedTransfer),
// else over one (FileTransfer), to which a segmented download that the
// server does not support falls back from the start. It starts at once and
// ends on the loop; destroying it stops it, keeping what arrived.
class Download {
public:
  using Done = std::function<void(base::Outcome<std::uint64_t>)>;

  Download(Session &session, std::string address, PartialFile &file, ExpectedFile expected,
           ProgressSink progress, Done done, FileTransfer::Then then, Requester requester);

  // The bytes of the file received so far (a file in segments is its whole length on disk).
  std::uint64_t Received() const;

private:
  void OneConnection();
  void Finish(base::Outcome<std::uint64_t> outcome);

  Session &session_;
  std::string address_;
  PartialFile &file_;
  ExpectedFile expected_;
  ProgressSink progress_;
  Done done_;
  FileTransfer::Then then_;
  Requester requester_;
  std::unique_ptr<SegmentedTransfer> segmented_;
  std::unique_ptr<FileTransfer> single_;
  std::unique_ptr<FileCompletion> completion_;
};

} // namespace vidtrawl::net
