#pragma once

#include "host/Pump.h"
#include "net/ConnectionMap.h"
#include "net/RawHeaderBlock.h"

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace vidtrawl::net {

// Initialises libcurl once per process; safe to call from anywhere.
void InitCurlOnce();

// One HTTP request on a session's connection cache (a curl multi handle),
// driven synchronously: while it waits for the network it calls the host's
// pump at least every 50 ms. The response body is kept in a receive buffer
// from which the caller takes chunks; the headers of the final response are
// rebuilt as a raw block.
class CurlRequest {
public:
  struct Limits {
    std::chrono::milliseconds connect;
    std::chrono::milliseconds idle; // nothing received for this long ends the request
  };

  // A request whose body may be read; the caller sets its own options on
  // Easy() before Begin().
  // `pool`: where open connections are kept for the next request (nullptr:
  // the session's own cache).
  CurlRequest(CURLM *multi, CURLSH *pool, host::Pump &pump, Limits limits,
              const ConnectionMap &connections, std::size_t headerLimit);
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
  // Waits until the final response's body has begun or the request finished.
  void DriveUntilBody();
  // Waits until at least `bytes` body bytes are buffered or the request finished.
  void DriveUntilAvailable(std::size_t bytes) {
    if (Available() < bytes && !finished_)
      WaitForBytes(bytes);
  }
  // Bytes buffered beyond which receiving pauses until the caller has taken
  // them (the network keeps pace with the caller instead of running ahead).
  static constexpr std::size_t kHighWater = 256 * 1024;

  bool Finished() const { return finished_; }
  bool Succeeded() const { return finished_ && result_ == CURLE_OK; }
  CURLcode Result() const { return result_; }

  // The final response arrived with a status that can be read as a
  // resource (below 400, not a redirect still to be followed).
  bool Opened() const;

  const RawHeaderBlock &Headers() const { return headers_; }

  // The receive buffer.
  std::size_t Available() const { return buffer_.size() - begin_; }
  const char *Data() const { return buffer_.data() + begin_; }
  void Consume(std::size_t bytes);

private:
  template <class Done> void Drive(Done done);
  void WaitForBytes(std::size_t bytes);
  void CollectFinished();
  void Finish(CURLcode result);

  static std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *self);
  static std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *self);

  CURLM *multi_;
  CURL *easy_ = nullptr;
  curl_slist *connectTo_ = nullptr;
  host::Pump &pump_;
  Limits limits_;
  bool added_ = false;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;

  RawHeaderBlock headers_;
  std::size_t headerCap_;
  bool activity_ = false;
  bool bodyStarted_ = false;
  bool rejected_ = false;
  bool paused_ = false;

  std::vector<char> buffer_;
  std::size_t begin_ = 0;
};

} // namespace vidtrawl::net
