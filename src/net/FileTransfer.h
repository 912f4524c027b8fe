#pragma once

#include "base/Outcome.h"
#include "net/CurlRequest.h"
#include "net/FileCompletion.h"
#include "net/HeaderBlock.h"
#include "net/PartialFile.h"
#include "net/Session.h"
#include "net/Validators.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::net {

// What the run's header request said of the file: its length (0: none),
// its version (a strong validator; empty: none) and its Content-Type; and
// whether the bytes on disk are no beginning of it (a download in segments
// that the server made fall back to one connection).
struct ExpectedFile {
  std::uint64_t size = 0;
  std::string version;
  std::string type = {};
  bool wholeFirst = false;
};

// Receives the file at an http or https address into a claimed partial file
// and, when every byte arrived, completes it under its target's name (or
// the next free variant of it).
//
// Bytes received earlier are joined only to what is provably the rest of
// the same file (RFC 9110 13.1.4, 15.3.7): they are asked for with a range
// request and If-Range, and a 206 is appended only when its Content-Range
// starts where the partial file ends, its length is the one the header
// request announced, and its strong validator is the one noted with the
// partial file; a 206 that ends short of the file is followed by a request
// for the rest. Anything else starts the file over: a version the header
// request already names as another, a 200, a 206 of another part or another
// version, a 416 that does not prove the bytes on disk whole. A web page is
// no video: an answer that is one leaves the partial file as it was and
// fails. A body that ends short of the length it announced fails; a chunked
// body properly ended is whole; one that ends with the connection must
// reach what the header request announced. A body that trickles below the
// session's slowest rate for its silence limit is given up on. The value,
// like the progress, counts the whole file's bytes. It starts at once and
// ends on the loop; destroying it stops it without a word.
class FileTransfer {
public:
  using Done = std::function<void(base::Outcome<std::uint64_t>)>;
  // Whether the partial file is completed when every byte arrived, or left
  // for the owner to complete.
  enum class Then { Complete, Leave };

  FileTransfer(Session &session, std::string address, PartialFile &file, ExpectedFile expected,
               ProgressSink progress, Done done, Then then = Then::Complete,
               Requester requester = {});

private:
  // One request: for the rest of the partial file's version, or the whole file.
  void Request();
  CurlRequest::Sink Open(std::string_view first);
  void Ended();
  // Whether a 416 proves the partial file whole.
  bool WholeBy416() const;
  // Why a whole answer cannot be the file the header request spoke of (its
  // type, an empty body, another length of the same version); nothing when
  // it may be.
  std::optional<base::Fault> NotTheFile(const HeaderFields &fields) const;
  // Why a part cannot be written as the rest it says it is: an encoded body,
  // or a body of another length than its range.
  std::optional<base::Fault> NotThePart(const ContentRange &range) const;
  // Every byte is in the file.
  void Received(std::uint64_t bytes);
  void Finish(base::Outcome<std::uint64_t> outcome);

  Session &session_;
  std::string address_;
  PartialFile &file_;
  ExpectedFile expected_;
  ProgressSink progress_;
  Done done_;
  Then then_;
  Requester requester_;
  std::unique_ptr<CurlRequest> request_;
  bool whole_ = false;     // the next request asks for the whole file
  bool startOver_ = false; // this answer is no part of the bytes on disk
  int restarts_ = 0;
  std::uint64_t before_ = 0; // the partial file's bytes when this request's body began
  std::uint64_t length_ = 0; // the whole file's length, as far as it is known
  bool opened_ = false;      // this request's answer was read (Open ran)
  bool ofPart_ = false;      // this request's body is a part (206)
  bool chunked_ = false;
  std::int64_t own_ = -1; // the length this request's body announced
  std::optional<base::Fault> refused_;
  host::Timer written_; // the end waits for the bytes to be written
  std::unique_ptr<FileCompletion> completion_;
};

} // namespace vidtrawl::net
