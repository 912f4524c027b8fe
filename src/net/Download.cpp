#include "net/Download.h"

namespace vidtrawl::net {

Download::Download(Session &session, std::string address, PartialFile &file, ExpectedFile expected,
                   ProgressSink progress, Done done, FileTransfer::Then then, Requester requester)
    : session_(session), address_(std::move(address)), file_(file), expected_(std::move(expected)),
      progress_(std::move(progress)), done_(std::move(done)), then_(then),
      requester_(std::move(requester)) {
  const int connections = session_.Rules().connections;
  if (!SegmentedTransfer::Suits(expected_, file_, connections)) {
    OneConnection();
    return;
  }
  segmented_ = std::make_unique<SegmentedTransfer>(
      session_, address_, file_, expected_, connections, progress_,
      [this](base::Outcome<std::uint64_t> outcome, bool fallBack) {
        if (!fallBack) {
          if (outcome.Done() && then_ == FileTransfer::Then::Complete) {
            completion_ = std::make_unique<FileCompletion>(
                session_.Loop(), file_,
                [this, bytes = outcome.Value()](std::optional<base::Fault> fault) {
                  if (fault)
                    Finish(std::move(*fault));
                  else
                    Finish(bytes);
                });
            return;
          }
          Finish(std::move(outcome));
          return;
        }
        // The server answers a part with the whole file or another version:
        // the whole file, over one connection, from its first byte (the
        // segments stay until a whole answer proves itself the file).
        expected_.wholeFirst = true;
        OneConnection();
      },
      requester_);
}

std::uint64_t Download::Received() const {
  return single_ || !segmented_ ? file_.Written() : segmented_->Received();
}

void Download::OneConnection() {
  single_ = std::make_unique<FileTransfer>(
      session_, address_, file_, expected_, progress_,
      [this](base::Outcome<std::uint64_t> outcome) { Finish(std::move(outcome)); }, then_,
      requester_);
}

void Download::Finish(base::Outcome<std::uint64_t> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this download
}

} // namespace vidtrawl::net
