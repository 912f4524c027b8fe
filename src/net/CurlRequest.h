#pragma once

#include "host/Pump.h"
#include "net/ConnectionMap.h"
#include "net/RawHeaderBlock.h"

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vidtrawl::net {

// Initialises libcurl once per process; safe to call from anywhere.
void InitCurlOnce();

// One HTTP request on a session's connection cache (a curl multi handle),
// driven synchronously: while it waits for the network it calls the host's
// pump at least every 20 ms and asks after each call whether to give up.
// The response body goes straight from curl's receive buffer to a sink
// (the caller's file) without a copy of its own; the caller counts it by
// Delivered(). The headers of the final response are rebuilt as a raw block.
class CurlRequest {
public:
  struct Limits {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds idle; // nothing received for this long ends the request
  };
  // Takes body bytes; false refuses them and ends the request.
  using Sink = std::function<bool(const char *data, std::size_t size)>;
  // Asked after each call of the pump: true ends the wait and the request.
  using GiveUp = std::function<bool()>;

  // A request whose body may be read; the caller sets its own options on
  // Easy() before Begin().
  // `pool`: where open connections are kept for the next request (nullptr:
  // the session's own cache).
  CurlRequest(CURLM *multi, CURLSH *pool, host::Pump &pump, Limits limits,
              const ConnectionMap &connections, std::size_t headerLimit, GiveUp giveUp = {});
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
  // Waits until at least `bytes` body bytes were delivered in all, or the
  // request finished.
  void DriveUntilDelivered(std::uint64_t bytes) {
    if (delivered_ < bytes && !finished_)
      WaitForBytes(bytes);
  }
  std::uint64_t Delivered() const { return delivered_; }

  bool Finished() const { return finished_; }
  bool Succeeded() const { return finished_ && result_ == CURLE_OK; }
  // The wait was ended by the give-up question.
  bool GaveUp() const { return gaveUp_; }
  CURLcode Result() const { return result_; }
  // What went wrong, in curl's words (empty when nothing did).
  std::string FailureText() const;
  // The length the final response announced; -1 when it announced none.
  std::int64_t AnnouncedLength() const;

  // The final response is the whole resource: a 200 whose headers ended.
  bool Opened() const;

  const RawHeaderBlock &Headers() const { return headers_; }

private:
  template <class Done> void Drive(Done done);
  void WaitForBytes(std::uint64_t bytes);
  void CollectFinished();
  void Finish(CURLcode result);

  static std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *self);
  static std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *self);

  CURLM *multi_;
  CURL *easy_ = nullptr;
  curl_slist *connectTo_ = nullptr;
  host::Pump &pump_;
  Limits limits_;
  GiveUp giveUp_;
  bool added_ = false;
  bool gaveUp_ = false;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;

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
};

} // namespace vidtrawl::net
