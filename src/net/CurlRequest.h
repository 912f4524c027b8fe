#pragma once

#include "base/Fault.h"
#include "net/RawHeaderBlock.h"
#include "net/Session.h"

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vidtrawl::net {

// One HTTP request of a session, driven synchronously: while it waits for
// the network it calls the host's pump at least every 20 ms and asks the
// stop check after each call. The body goes straight from curl's receive
// buffer to a sink without a copy of its own; the caller counts it by
// Delivered(). The headers of the final response are rebuilt as a raw block.
// The session's limits hold: a connection attempt, silence, the whole header
// phase (a server that trickles its header lines is given up on).
class CurlRequest {
public:
  // Takes body bytes; false refuses them and ends the request.
  using Sink = std::function<bool(const char *data, std::size_t size)>;

  // A request whose body may be read; the caller sets its own options on
  // Easy() before Begin(). `headerLimit`: the longest header block kept.
  CurlRequest(Session &session, std::size_t headerLimit, StopCheck stop);
  ~CurlRequest();
  CurlRequest(const CurlRequest &) = delete;
  CurlRequest &operator=(const CurlRequest &) = delete;

  // False when no handle could be made; nothing else may be called then.
  bool Valid() const { return easy_ != nullptr; }
  CURL *Easy() { return easy_; }

  // Starts the request; a failure to start shows as a finished request.
  void Begin(const std::string &url);

  // Waits until the request has finished.
  void DriveToEnd();
  // Waits until the final response's body has begun or the request
  // finished. The body is held back until a sink is given.
  void DriveUntilBody();
  // Gives the body to `sink` from now on.
  void SetSink(Sink sink);
  // Waits until more than `bytes` body bytes were delivered in all, or the
  // request finished.
  void DriveBeyond(std::uint64_t bytes);
  std::uint64_t Delivered() const { return delivered_; }

  bool Finished() const { return finished_; }
  bool Succeeded() const { return finished_ && result_ == CURLE_OK; }
  // The wait was ended by the stop check.
  bool Stopped() const { return stopped_; }
  CURLcode Result() const { return result_; }
  // What went wrong: the server's answer, or curl's words.
  base::Fault Failure() const;
  // The length the final response announced; -1 when it announced none.
  std::int64_t AnnouncedLength() const;

  // The final response is the resource: a 200 whose headers ended (or a
  // 206, once the caller asked for a part).
  bool Opened() const;
  // Asks for the resource from `offset` on, when it is still what
  // `validator` (an ETag or a Last-Modified date) names: a 206 then brings
  // the rest, a 200 the whole resource. Before Begin().
  void AskFrom(std::uint64_t offset, const std::string &validator);

  const RawHeaderBlock &Headers() const { return headers_; }

private:
  template <class Done> void Drive(Done done);
  void CollectFinished();
  void Finish(CURLcode result);

  static std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *self);
  static std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *self);

  Session &session_;
  CURL *easy_ = nullptr;
  curl_slist *connectTo_ = nullptr;
  StopCheck stop_;
  bool added_ = false;
  bool stopped_ = false;
  bool finished_ = false;
  bool headersTooSlow_ = false;
  CURLcode result_ = CURLE_OK;
  std::chrono::steady_clock::time_point begun_{};

  RawHeaderBlock headers_;
  std::size_t headerCap_;
  bool activity_ = false;
  bool bodyStarted_ = false;
  bool rejected_ = false;
  bool paused_ = false;
  // When the current turn of curl began: a turn that has received for a
  // while stops receiving, so that the host runs between turns.
  std::chrono::steady_clock::time_point turnStarted_{};
  bool turnDelivered_ = false;
  char error_[CURL_ERROR_SIZE] = {};

  Sink sink_;
  std::uint64_t delivered_ = 0;
  bool partOk_ = false;
  curl_slist *extraHeaders_ = nullptr;
};

} // namespace vidtrawl::net
