#pragma once

#include "base/Fault.h"
#include "host/EventLoop.h"
#include "net/CookieJar.h"
#include "net/CurlMulti.h"
#include "net/RawHeaderBlock.h"
#include "net/Requester.h"
#include "net/Session.h"

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// One HTTP request of a session, run on the session's event loop. The body
// goes straight from curl's receive buffer to a sink without a copy of its
// own; the owner counts it by Delivered(). The headers of the final
// response are rebuilt as a raw block. The session's limits hold: a
// connection attempt, silence (a body slower than the slowest rate for the
// silence limit), the whole header phase (a server that trickles its
// header lines is given up on). Destroying a request ends it without a word.
class CurlRequest final : private CurlMulti::Client {
public:
  // Takes body bytes; false refuses them and ends the request.
  using Sink = std::function<bool(const char *data, std::size_t size)>;
  // Asked with the first bytes of the final response's body where the body
  // goes; nothing refuses it and ends the request. It runs inside curl: it
  // may read the headers and make a file ready, and must not start or end
  // requests.
  using Opener = std::function<Sink(std::string_view first)>;
  struct Handlers {
    Opener open = {}; // nothing: no body is wanted
    // Whether the sink takes bytes now; false holds the connection back for a moment (a file
    // whose bytes wait for the disk), with the bytes left in the socket.
    std::function<bool()> ready = {};
    std::function<void()> received = {}; // more body bytes were delivered
    std::function<void()> ended = {};    // the request ended; the owner may destroy it in here
  };

  // The longest header block a request keeps, unless its owner says otherwise.
  static constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

  // A request whose body may be read, for `requester`; the caller sets its
  // own options on Easy() before Begin(). `headerLimit`: the longest header
  // block kept.
  CurlRequest(Session &session, Requester requester = {},
              std::size_t headerLimit = kMaxHeaderBlock);
  ~CurlRequest() override;
  CurlRequest(const CurlRequest &) = delete;
  CurlRequest &operator=(const CurlRequest &) = delete;

  // False when no handle could be made; Begin then ends it at once.
  bool Valid() const { return easy_ != nullptr; }
  CURL *Easy() { return easy_; }

  // Only a connection is made, and kept for the owner once the request
  // ends (curl_easy_send and curl_easy_recv on Easy()). Before Begin().
  void ConnectOnly();
  // Only the headers are asked for (HEAD). Before Begin().
  void HeadOnly();
  // Asks for the resource from `offset` on (up to byte `last`, when given),
  // when it is still what `validator` (an ETag or a Last-Modified date)
  // names: a 206 then brings that part, a 200 the whole resource. Before
  // Begin().
  void AskFrom(std::uint64_t offset, const std::string &validator,
               std::optional<std::uint64_t> last = {});

  // Starts the request. `ended` is never called from inside this call.
  void Begin(const std::string &url, Handlers handlers);

  std::uint64_t Delivered() const { return delivered_; }
  bool Finished() const { return finished_; }
  bool Succeeded() const { return finished_ && result_ == CURLE_OK; }
  CURLcode Result() const { return result_; }
  // What went wrong: the server's answer, or curl's words.
  base::Fault Failure() const;
  // The length the final response announced; -1 when it announced none.
  std::int64_t AnnouncedLength() const;
  // The final response is the resource: a 200 whose headers ended (or a
  // 206, once the caller asked for a part).
  bool Opened() const;
  const RawHeaderBlock &Headers() const { return headers_; }
  // The final response's Content-Type, as sent; empty when it gave none.
  std::string ContentType() const;

private:
  void Received() override;
  void Ended(CURLcode result) override;
  // The request ends here: the handle leaves the multi (its connection
  // goes back to the pool), and the owner hears of it last.
  void Finish(CURLcode result);

  static std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *self);
  static std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *self);

  // Tells the trace how the request ended.
  void TraceEnd() const;

  Session &session_;
  Requester requester_;
  CookieJar cookies_; // held while the transfer runs: a jar set anew leaves this one be
  CURL *easy_ = nullptr;
  curl_slist *connectTo_ = nullptr;
  curl_slist *headerList_ = nullptr;
  Handlers handlers_;
  bool added_ = false;
  bool connectOnly_ = false;
  bool headOnly_ = false;
  std::string range_; // the bytes asked for, when a part is
  bool finished_ = false;
  bool headersTooSlow_ = false;
  CURLcode result_ = CURLE_OK;
  host::Timer headerLimit_;
  host::Timer failedStart_;

  RawHeaderBlock headers_;
  std::size_t headerCap_;
  bool bodyStarted_ = false;
  bool rejected_ = false;
  bool partOk_ = false;
  char error_[CURL_ERROR_SIZE] = {};

  Sink sink_;
  std::uint64_t delivered_ = 0;
};

} // namespace vidtrawl::net
