#pragma once

#include "base/Outcome.h"
#include "host/EventLoop.h"
#include "net/CurlRequest.h"
#include "net/FileTransfer.h"
#include "net/PartialFile.h"
#include "net/SegmentMap.h"
#include "net/Session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::net {

// Receives a file of known length and version over several connections at
// once, as aria2 does: the file is split into segments, each asked for as a
// range (with If-Range) and written at its place into the partial file, made
// its whole length at once. The segment map is kept with the partial file,
// so that a stopped or broken download goes on with every segment from where
// it stopped, with as many connections as it is given then. A connection
// that is left without work takes half of the largest segment left. Each
// part must be provably of the file: a 206 of the range asked for, the
// version noted with the partial file and the whole file's length; a
// segment whose connection drops after bringing something is asked again
// from where it stopped. A server that answers a range with the whole file
// or with another version ends it for one connection from the start (the
// owner's choice: FallBack). It starts at once and ends on the loop;
// destroying it stops it, keeping the map.
class SegmentedTransfer {
public:
  // How it ended: with the file's length (its bytes all in), a fault, or
  // "fall back to one connection" (the partial file is left for the owner
  // to start over).
  struct FallBack {};
  using Done = std::function<void(base::Outcome<std::uint64_t> outcome, bool fallBack)>;

  SegmentedTransfer(Session &session, std::string address, PartialFile &file, ExpectedFile expected,
                    int connections, ProgressSink progress, Done done, Requester requester);
  ~SegmentedTransfer();
  SegmentedTransfer(const SegmentedTransfer &) = delete;
  SegmentedTransfer &operator=(const SegmentedTransfer &) = delete;

  // Whether a file may be received this way: of known length and version,
  // or already begun this way.
  static bool Suits(const ExpectedFile &expected, const PartialFile &file, int connections);
  // The bytes its segments hold (not the file's length, which it has from the start).
  std::uint64_t Received() const { return map_.Received(); }

private:
  struct Connection {
    std::unique_ptr<CurlRequest> request;
    std::size_t segment = 0;
    std::uint64_t from = 0; // where its range begins
    std::uint64_t end = 0;  // and ends (one past), as asked
    bool confirmed = false; // its answer is the part asked for
    bool cut = false;       // it reached its segment's end, which may have moved
  };

  void Start();
  // Gives connections to the segments without one, up to the number allowed.
  void Fill();
  void Launch(std::size_t segment);
  CurlRequest::Sink Open(Connection &connection, std::string_view first);
  void Ended(Connection *connection);
  void Save();
  void Stop();
  void Finish(base::Outcome<std::uint64_t> outcome, bool fallBack = false);

  Session &session_;
  std::string address_;
  PartialFile &file_;
  ExpectedFile expected_;
  int connections_;
  ProgressSink progress_;
  Done done_;
  Requester requester_;
  SegmentMap map_;
  bool confirmed_ = false; // a part came as asked: ranges work for this file
  std::vector<std::unique_ptr<Connection>> running_;
  std::vector<std::unique_ptr<Connection>> ended_; // gone on the next turn
  std::optional<base::Fault> failure_;
  std::optional<base::Fault> early_; // a start that failed, told on the next turn
  bool fallBack_ = false;
  int relaunches_ = 0;             // connections asked again since the last real progress
  std::uint64_t relaunchedAt_ = 0; // the bytes in then
  bool finished_ = false;
  host::Timer turn_;
  host::Timer save_;
};

} // namespace vidtrawl::net
