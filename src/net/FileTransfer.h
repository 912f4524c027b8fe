#pragma once

#include "base/Outcome.h"
#include "net/CurlRequest.h"
#include "net/PartialFile.h"
#include "net/Session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::net {

// Receives the file at an http or https address into a claimed partial file
// and, when every byte arrived, completes it under its target's name (or
// the next free variant of it). A partial file that holds bytes of the same
// version of the file goes on from its end (a range request with If-Range);
// a server that sends the whole file instead (200), cannot send that part
// (416) or sends another part starts it over. Otherwise only a 200 answer is
// the file. A body that ends short of the length announced (or, when none
// was, of `expected`, what a header request said) fails. A body that
// trickles below the session's slowest rate for its silence limit is given
// up on. The partial file keeps the bytes of a stopped or failed transfer.
// The value, like the progress, counts the whole file's bytes. It starts at
// once and ends on the loop; destroying it stops it without a word.
class FileTransfer {
public:
  using Done = std::function<void(base::Outcome<std::uint64_t>)>;
  // Whether the partial file is completed when every byte arrived, or left
  // for the owner to complete.
  enum class Then { Complete, Leave };

  FileTransfer(Session &session, std::string address, PartialFile &file, std::uint64_t expected,
               ProgressSink progress, Done done, Then then = Then::Complete);

private:
  // One request for the file from the partial file's end on (from its
  // start when it is empty).
  void Request();
  CurlRequest::Sink Open();
  void Ended();
  // Every byte is in the file.
  void Received(std::uint64_t bytes);
  void Finish(base::Outcome<std::uint64_t> outcome);

  Session &session_;
  std::string address_;
  PartialFile &file_;
  std::uint64_t expected_;
  ProgressSink progress_;
  Done done_;
  Then then_;
  std::unique_ptr<CurlRequest> request_;
  std::uint64_t before_ = 0;    // what the partial file held when this request began
  std::uint64_t announced_ = 0; // the whole file's length, as far as it is known
  std::optional<base::Fault> refused_;
  bool restart_ = false; // the bytes on disk are not the file's beginning after all
  bool restarted_ = false;
};

} // namespace vidtrawl::net
