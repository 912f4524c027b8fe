#include "net/FileTransfer.h"

#include "net/HeaderBlock.h"
#include "net/PageFetch.h"

#include <algorithm>
#include <charconv>

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

// What the server calls this version of the file, for a later If-Range: a
// strong ETag, else its Last-Modified date; nothing when it names neither.
std::string VersionOf(const HeaderFields &fields) {
  if (!fields.etag.empty() && fields.etag.rfind("W/", 0) != 0)
    return fields.etag;
  return fields.lastModified == "Not Available" ? std::string() : fields.lastModified;
}

// The first byte's offset of a Content-Range "bytes FIRST-LAST/LENGTH".
std::optional<std::uint64_t> RangeStart(std::string_view range) {
  if (range.rfind("bytes ", 0) != 0)
    return std::nullopt;
  range.remove_prefix(6);
  std::uint64_t first = 0;
  const auto [end, error] = std::from_chars(range.data(), range.data() + range.size(), first);
  if (error != std::errc() || end == range.data() || end == range.data() + range.size() ||
      *end != '-')
    return std::nullopt;
  return first;
}

} // namespace

FileTransfer::FileTransfer(Session &session, std::string address, PartialFile &file,
                           std::uint64_t expected, ProgressSink progress, Done done, Then then)
    : session_(session), address_(std::move(address)), file_(file), expected_(expected),
      progress_(std::move(progress)), done_(std::move(done)), then_(then) {
  Request();
}

void FileTransfer::Request() {
  refused_.reset();
  restart_ = false;
  request_ = std::make_unique<CurlRequest>(session_, kMaxHeaderBlock);
  if (CURL *easy = request_->Easy())
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT,
                     static_cast<long>(session_.Limits().lowSpeedBytes));
  request_->AskFrom(file_.Offset(), file_.Version());
  request_->Begin(IsHttpAddress(address_) ? address_ : std::string(),
                  {.open = [this] { return Open(); },
                   .received =
                       [this] {
                         if (progress_)
                           progress_(before_ + request_->Delivered(), announced_);
                       },
                   .ended = [this] { Ended(); }});
}

CurlRequest::Sink FileTransfer::Open() {
  const HeaderFields fields = ReadHeaderBlock(request_->Headers().Block());
  if (request_->Headers().Status() == 206) {
    if (RangeStart(fields.contentRange) != file_.Offset()) {
      restart_ = true;
      refused_ = base::Fault{base::FaultKind::HttpStatus,
                             "the server sent another part of the file than was asked for"};
      return {};
    }
  } else if (file_.Offset() > 0) {
    // The whole file: it changed, or the server sends no parts.
    if (std::optional<base::Fault> fault = file_.Restart()) {
      refused_ = std::move(fault);
      return {};
    }
  }
  file_.SetVersion(VersionOf(fields));
  before_ = file_.Offset();
  const std::int64_t own = request_->AnnouncedLength();
  announced_ = own > 0 ? before_ + static_cast<std::uint64_t>(own) : std::max(expected_, before_);
  return [this](const char *data, std::size_t size) { return file_.Write(data, size); };
}

void FileTransfer::Ended() {
  // The part asked for lies beyond the file as it is now: the partial file
  // holds all of it (the length it gives is its own), or it is of no use.
  if (!refused_ && !request_->Opened() && file_.Offset() > 0 &&
      request_->Headers().Status() == 416) {
    const std::string range = ReadHeaderBlock(request_->Headers().Block()).contentRange;
    if (range == "bytes */" + std::to_string(file_.Offset())) {
      Received(file_.Offset());
      return;
    }
    restart_ = true;
  }
  if (restart_ && !restarted_) {
    // The bytes on disk are of no use: the whole file, once more.
    restarted_ = true;
    if (std::optional<base::Fault> fault = file_.Restart()) {
      Finish(std::move(*fault));
      return;
    }
    file_.SetVersion({});
    Request();
    return;
  }
  if (refused_) {
    Finish(std::move(*refused_));
    return;
  }
  if (std::optional<base::Fault> fault = file_.WriteFault()) {
    Finish(std::move(*fault));
    return;
  }
  if (!request_->Succeeded() || !request_->Opened()) {
    Finish(request_->Failure());
    return;
  }
  const std::uint64_t received = before_ + request_->Delivered();
  if (progress_)
    progress_(received, announced_);
  if (received < announced_) {
    Finish(base::Fault{base::FaultKind::ShortBody, "the body ended after " +
                                                       std::to_string(received) + " of " +
                                                       std::to_string(announced_) + " bytes"});
    return;
  }
  Received(received);
}

void FileTransfer::Received(std::uint64_t bytes) {
  if (then_ == Then::Complete)
    if (std::optional<base::Fault> fault = file_.Complete()) {
      Finish(std::move(*fault));
      return;
    }
  Finish(bytes);
}

void FileTransfer::Finish(base::Outcome<std::uint64_t> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this transfer
}

} // namespace vidtrawl::net
