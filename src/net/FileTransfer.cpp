#include "net/FileTransfer.h"

#include "base/AsciiCase.h"
#include "net/HeaderBlock.h"
#include "net/PageFetch.h"
#include "net/RangeAnswer.h"
#include "net/Validators.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

std::string HeaderValue(const std::string &block, std::string_view name) {
  const std::size_t at = base::FindIgnoringCase(block, "\n" + std::string(name) + ":");
  if (at == std::string::npos)
    return {};
  const std::size_t start = at + name.size() + 2;
  std::string value = block.substr(start, block.find('\n', start) - start);
  while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
    value.pop_back();
  return value.substr(std::min(value.find_first_not_of(' '), value.size()));
}

// A Content-Type without its parameters, in small letters.
std::string MediaType(std::string_view type) {
  std::string bare = base::LowerAscii(type.substr(0, type.find(';')));
  while (!bare.empty() && bare.back() == ' ')
    bare.pop_back();
  return bare;
}

bool IsChunked(const std::string &block) {
  const std::size_t at = base::FindIgnoringCase(block, "\ntransfer-encoding:");
  if (at == std::string::npos)
    return false;
  const std::size_t end = block.find('\n', at + 1);
  return base::FindIgnoringCase(block.substr(at, end - at), "chunked") != std::string::npos;
}

} // namespace

FileTransfer::FileTransfer(Session &session, std::string address, PartialFile &file,
                           ExpectedFile expected, ProgressSink progress, Done done, Then then,
                           Requester requester)
    : session_(session), address_(std::move(address)), file_(file), expected_(std::move(expected)),
      progress_(std::move(progress)), done_(std::move(done)), then_(then),
      requester_(std::move(requester)), written_(session.Loop()) {
  file_.TellRoom(session_.Multi().RoomSignal());
  // The bytes on disk are of another version than the server has now, or
  // longer than its file: the whole file (they go when its first byte comes).
  if (file_.Written() > 0 &&
      (expected_.wholeFirst ||
       (!expected_.version.empty() && expected_.version != file_.Version()) ||
       (expected_.size > 0 && file_.Written() > expected_.size)))
    whole_ = true;
  Request();
}

void FileTransfer::Request() {
  refused_.reset();
  startOver_ = false;
  opened_ = false;
  request_ = std::make_unique<CurlRequest>(session_, requester_);
  if (CURL *easy = request_->Easy())
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT,
                     static_cast<long>(session_.Limits().lowSpeedBytes));
  if (!whole_)
    request_->AskFrom(file_.Written(), file_.Version());
  request_->Begin(IsHttpAddress(address_) ? address_ : std::string(),
                  {.open = [this](std::string_view first) { return Open(first); },
                   .ready = [this] { return !file_.Backlogged(); },
                   .received =
                       [this] {
                         if (progress_)
                           progress_(file_.Written(), length_);
                       },
                   .ended = [this] { Ended(); }});
}

CurlRequest::Sink FileTransfer::Open(std::string_view first) {
  opened_ = true;
  // A login page, a portal's or an error page is no part of any video.
  if (IsWebPageBody(request_->ContentType(), first)) {
    refused_ = base::Fault{base::FaultKind::WebPage, "the server sent a web page, not a video"};
    return {};
  }
  const std::string &block = request_->Headers().Block();
  const HeaderFields fields = ReadHeaderBlock(block);
  own_ = request_->AnnouncedLength();
  chunked_ = IsChunked(block);
  ofPart_ = request_->Headers().Status() == 206;
  if (!ofPart_)
    if (std::optional<base::Fault> fault = NotTheFile(fields)) {
      refused_ = std::move(fault); // the bytes on disk stay as they are
      return {};
    }
  if (ofPart_) {
    // Only the rest of the very file the bytes on disk are of.
    const std::optional<ContentRange> range =
        AskedPartOf(*request_, {file_.Written(), std::nullopt,
                                expected_.size > 0 ? std::optional<std::uint64_t>(expected_.size)
                                                   : std::nullopt,
                                file_.Version()});
    if (!range) {
      startOver_ = true;
      return {};
    }
    if (std::optional<base::Fault> fault = NotThePart(*range)) {
      refused_ = std::move(fault);
      return {};
    }
    length_ = range->length.value_or(0);
  } else {
    // The whole file: the bytes on disk are of no use.
    if (file_.Written() > 0)
      if (std::optional<base::Fault> fault = file_.Restart()) {
        refused_ = std::move(fault);
        return {};
      }
    file_.SetVersion(StrongValidator(fields));
    length_ = own_ >= 0 ? static_cast<std::uint64_t>(own_) : expected_.size;
  }
  before_ = file_.Written();
  return [this](const char *data, std::size_t size) { return file_.Write(data, size); };
}

std::optional<base::Fault> FileTransfer::NotTheFile(const HeaderFields &fields) const {
  const std::string type = MediaType(request_->ContentType());
  const bool data = type == "application/json" || type.ends_with("+json");
  const bool text = type.starts_with("text/") && type != MediaType(expected_.type);
  if (data || text)
    return base::Fault{base::FaultKind::WebPage, "the server sent " + type + ", not a video"};
  if (expected_.size == 0)
    return std::nullopt;
  if (own_ == 0)
    return base::Fault{base::FaultKind::ShortBody,
                       "the server sent an empty answer for a file of " +
                           std::to_string(expected_.size) + " bytes"};
  // Another length of the same version (both without one, too): no answer of that file.
  if (own_ > 0 && static_cast<std::uint64_t>(own_) != expected_.size &&
      StrongValidator(fields) == expected_.version)
    return base::Fault{base::FaultKind::ShortBody, "the server sent " + std::to_string(own_) +
                                                       " bytes of a file of " +
                                                       std::to_string(expected_.size)};
  return std::nullopt;
}

std::optional<base::Fault> FileTransfer::NotThePart(const ContentRange &range) const {
  const std::string encoding =
      MediaType(HeaderValue(request_->Headers().Block(), "content-encoding"));
  if (!encoding.empty() && encoding != "identity")
    return base::Fault{base::FaultKind::HttpStatus,
                       "the server sent a part of the file encoded (" + encoding + ")"};
  if (own_ >= 0 && range.first && static_cast<std::uint64_t>(own_) != range.last - *range.first + 1)
    return base::Fault{base::FaultKind::HttpStatus,
                       "the server sent a part of " + std::to_string(own_) +
                           " bytes for the range " + std::to_string(*range.first) + "-" +
                           std::to_string(range.last)};
  return std::nullopt;
}

bool FileTransfer::WholeBy416() const {
  // The part asked for lies beyond the file: the bytes on disk are all of
  // it only when the server's length is theirs and the header request's,
  // and the version noted with them is still the server's.
  const std::optional<ContentRange> range =
      ReadContentRange(ReadHeaderBlock(request_->Headers().Block()).contentRange);
  return range && !range->first && range->length == file_.Written() &&
         expected_.size == file_.Written() && !file_.Version().empty() &&
         (expected_.version.empty() || expected_.version == file_.Version());
}

void FileTransfer::Ended() {
  // What the file holds is judged once it holds all it was handed.
  if (file_.Writing()) {
    written_.Start(WriteBehind::kCatchUp, [this] { Ended(); });
    return;
  }
  // An answer without a byte of body is read all the same: its headers say
  // what it is (a part of the rest that brings nothing is no end of the file).
  if (!opened_ && request_->Succeeded() && request_->Opened())
    Open({});
  if (refused_) {
    Finish(std::move(*refused_));
    return;
  }
  if (!request_->Opened() && file_.Written() > 0 && !whole_ &&
      request_->Headers().Status() == 416) {
    if (WholeBy416()) {
      Received(file_.Written());
      return;
    }
    startOver_ = true;
  }
  if (startOver_) {
    if (restarts_++ > 0) {
      Finish(base::Fault{base::FaultKind::HttpStatus,
                         "the server sent another part of the file than was asked for"});
      return;
    }
    whole_ = true;
    Request();
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
  const std::uint64_t received = file_.Written();
  if (progress_)
    progress_(received, length_);
  // A part short of the file's end: the rest is asked for, while each part brings something.
  if (ofPart_ && received < length_) {
    if (received > before_) {
      whole_ = false;
      Request();
      return;
    }
    Finish(base::Fault{base::FaultKind::ShortBody, "the server sent the file only up to byte " +
                                                       std::to_string(received) + " of " +
                                                       std::to_string(length_)});
    return;
  }
  // A body that ended with its connection and no length of its own is whole
  // only when it reached what the header request said; a chunked one of that
  // version is that long too.
  if (!ofPart_ && chunked_ && expected_.size > 0 && received != expected_.size &&
      file_.Version() == expected_.version) {
    Finish(base::Fault{base::FaultKind::ShortBody, "the server sent " + std::to_string(received) +
                                                       " bytes of a file of " +
                                                       std::to_string(expected_.size)});
    return;
  }
  const bool framed = ofPart_ || own_ >= 0 || chunked_;
  if (!framed && received < expected_.size) {
    // The connection ended early: a dropped one, as far as can be told.
    Finish(base::Fault{base::FaultKind::ShortBody,
                       "the body ended after " + std::to_string(received) + " of " +
                           std::to_string(expected_.size) + " bytes",
                       0, 0, true});
    return;
  }
  Received(received);
}

void FileTransfer::Received(std::uint64_t bytes) {
  if (then_ != Then::Complete) {
    Finish(bytes);
    return;
  }
  completion_ = std::make_unique<FileCompletion>(session_.Loop(), file_,
                                                 [this, bytes](std::optional<base::Fault> fault) {
                                                   if (fault)
                                                     Finish(std::move(*fault));
                                                   else
                                                     Finish(bytes);
                                                 });
}

void FileTransfer::Finish(base::Outcome<std::uint64_t> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this transfer
}

} // namespace vidtrawl::net
