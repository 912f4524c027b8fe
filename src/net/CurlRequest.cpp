#include "net/CurlRequest.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

using Clock = std::chrono::steady_clock;

// The longest the pump is left waiting while the network is idle: well
// inside the 50 ms a window may go without its messages, and so a stop
// ends a wait in about this time.
constexpr std::chrono::milliseconds kPumpInterval{20};
constexpr long kPollMillis = 20;
constexpr long kMaxRedirects = 10;
// What one read from the socket may bring, and so one write into the file:
// 512 KiB took a fifth less time per GiB than 128 KiB here; 1 MiB no less.
constexpr long kReceiveBufferSize = 512 * 1024;
// How long one turn of curl may go on receiving.
constexpr std::chrono::milliseconds kTurnBudget{4};

bool IsRedirect(long status) {
  return status >= 300 && status < 400;
}

// Only a whole resource is one: no request asks for a part or a
// comparison, so a 206 or a 304 answers something else, and a 204 or a
// redirect that names no new address holds no file.
bool IsWholeResource(long status, bool partOk) {
  return status == 200 || (partOk && status == 206);
}

std::string AnswerText(long status, bool hasLocation) {
  const std::string code = "the server answered " + std::to_string(status);
  switch (status) {
  case 204:
    return code + " (no content)";
  case 206:
    return code + " (part of the file) when all of it was asked for";
  case 304:
    return code + " (not modified) to a request that compared nothing";
  default:
    return IsRedirect(status) && !hasLocation ? code + " without a new address" : code;
  }
}

} // namespace

CurlRequest::CurlRequest(Session &session, std::size_t headerLimit, StopCheck stop)
    : session_(session), stop_(std::move(stop)), headers_(headerLimit),
      headerCap_(headerLimit * 16) {
  InitCurlOnce();
  if (session_.Multi() == nullptr)
    return;
  easy_ = curl_easy_init();
  if (easy_ == nullptr)
    return;
  for (const std::string &entry : session_.Connections().CurlEntries())
    if (curl_slist *grown = curl_slist_append(connectTo_, entry.c_str()))
      connectTo_ = grown;

  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  if (session_.Pool() != nullptr)
    curl_easy_setopt(easy_, CURLOPT_SHARE, session_.Pool());
  curl_easy_setopt(easy_, CURLOPT_PROXY, ""); // a direct connection, whatever the environment says
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(session_.Limits().connect.count()));
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  curl_easy_setopt(easy_, CURLOPT_CONNECT_TO, connectTo_);
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, Session::kAgent);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, error_);
}

CurlRequest::~CurlRequest() {
  if (added_)
    curl_multi_remove_handle(session_.Multi(), easy_);
  if (easy_ != nullptr)
    curl_easy_cleanup(easy_);
  curl_slist_free_all(connectTo_);
  curl_slist_free_all(extraHeaders_);
}

void CurlRequest::Begin(const std::string &url) {
  if (curl_easy_setopt(easy_, CURLOPT_URL, url.c_str()) != CURLE_OK) {
    Finish(CURLE_URL_MALFORMAT);
    return;
  }
  const CURLMcode added = curl_multi_add_handle(session_.Multi(), easy_);
  if (added != CURLM_OK) {
    Finish(CURLE_FAILED_INIT);
    return;
  }
  added_ = true;
  begun_ = Clock::now();
}

void CurlRequest::Finish(CURLcode result) {
  finished_ = true;
  result_ = result;
  if (added_) {
    curl_multi_remove_handle(session_.Multi(), easy_); // the connection goes back to the pool
    added_ = false;
  }
}

void CurlRequest::CollectFinished() {
  int queued = 0;
  while (CURLMsg *message = curl_multi_info_read(session_.Multi(), &queued))
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_)
      Finish(message->data.result);
}

template <class Done> void CurlRequest::Drive(Done done) {
  const TimeLimits &limits = session_.Limits();
  Clock::time_point lastActivity = Clock::now();
  Clock::time_point lastYield = lastActivity;
  activity_ = false;
  while (!finished_) {
    int running = 0;
    turnStarted_ = Clock::now();
    turnDelivered_ = false;
    if (paused_ && sink_) {
      paused_ = false;
      curl_easy_pause(easy_, CURLPAUSE_CONT); // delivers what was held back at once
    }
    curl_multi_perform(session_.Multi(), &running);
    CollectFinished();
    if (finished_ || done())
      return;
    const Clock::time_point now = Clock::now();
    if (activity_) {
      activity_ = false;
      lastActivity = now;
    } else if (now - lastActivity >= limits.silence) {
      Finish(CURLE_OPERATION_TIMEDOUT);
      return;
    }
    // A server that sends one header line now and then never trips the
    // silence limit: the whole header phase has one of its own.
    if (!bodyStarted_ && !headers_.Ended() && now - begun_ >= limits.headers) {
      headersTooSlow_ = true;
      Finish(CURLE_OPERATION_TIMEDOUT);
      return;
    }
    if (now - lastYield >= kPumpInterval) {
      session_.Pump().Yield();
      lastYield = Clock::now();
      if (stop_ && stop_()) {
        stopped_ = true;
        Finish(CURLE_ABORTED_BY_CALLBACK);
        return;
      }
    }
    const auto idleLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
        limits.silence - (now - lastActivity));
    const long wait = std::clamp<long>(static_cast<long>(idleLeft.count()) + 1, 1, kPollMillis);
    curl_multi_poll(session_.Multi(), nullptr, 0, static_cast<int>(wait), nullptr);
  }
}

void CurlRequest::DriveToEnd() {
  Drive([] { return false; });
}

void CurlRequest::DriveUntilBody() {
  Drive([this] { return bodyStarted_ || rejected_; });
}

void CurlRequest::SetSink(Sink sink) {
  sink_ = std::move(sink);
  if (paused_) {
    paused_ = false;
    curl_easy_pause(easy_, CURLPAUSE_CONT); // delivers what was held back at once
  }
}

void CurlRequest::DriveBeyond(std::uint64_t bytes) {
  if (delivered_ <= bytes && !finished_)
    Drive([this, bytes] { return delivered_ > bytes; });
}

base::Fault CurlRequest::Failure() const {
  using base::FaultKind;
  const long status = headers_.Status();
  if (rejected_ || (result_ == CURLE_OK && !Opened() && status != 0))
    return {FaultKind::HttpStatus, AnswerText(status, headers_.HasLocation()),
            static_cast<int>(status)};
  if (headersTooSlow_)
    return {FaultKind::Network, "the server did not finish its headers within " +
                                    std::to_string(session_.Limits().headers.count() / 1000) +
                                    " s"};
  const std::string words =
      error_[0] != '\0' ? std::string(error_) : std::string(curl_easy_strerror(result_));
  if (result_ == CURLE_URL_MALFORMAT || result_ == CURLE_UNSUPPORTED_PROTOCOL)
    return {FaultKind::BadAddress, words};
  if (result_ == CURLE_OK)
    return {FaultKind::Network, "no answer"};
  return {FaultKind::Network, words};
}

std::int64_t CurlRequest::AnnouncedLength() const {
  curl_off_t length = -1;
  if (easy_ == nullptr ||
      curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
    return -1;
  return static_cast<std::int64_t>(length);
}

void CurlRequest::AskFrom(std::uint64_t offset, const std::string &validator) {
  if (easy_ == nullptr || offset == 0)
    return;
  partOk_ = true;
  curl_easy_setopt(easy_, CURLOPT_RANGE, (std::to_string(offset) + "-").c_str());
  if (!validator.empty()) {
    extraHeaders_ = curl_slist_append(extraHeaders_, ("If-Range: " + validator).c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, extraHeaders_);
  }
}

bool CurlRequest::Opened() const {
  if (rejected_)
    return false;
  if (bodyStarted_)
    return true;
  if (!headers_.Ended())
    return false;
  return IsWholeResource(headers_.Status(), partOk_);
}

std::size_t CurlRequest::OnHeader(char *data, std::size_t size, std::size_t count, void *self) {
  auto &request = *static_cast<CurlRequest *>(self);
  const std::size_t bytes = size * count;
  request.activity_ = true;
  request.headers_.AddLine(std::string_view(data, bytes));
  if (request.headers_.TotalBytes() > request.headerCap_)
    return 0; // a server that never ends its headers
  return bytes;
}

std::size_t CurlRequest::OnBody(char *data, std::size_t size, std::size_t count, void *self) {
  auto &request = *static_cast<CurlRequest *>(self);
  const std::size_t bytes = size * count;
  request.activity_ = true;
  const long status = request.headers_.Status();
  if (IsRedirect(status) && request.headers_.HasLocation())
    return bytes; // the body of a redirect that is being followed
  if (!IsWholeResource(status, request.partOk_)) {
    request.rejected_ = true;
    return 0;
  }
  request.bodyStarted_ = true;
  if (!request.sink_) {
    request.paused_ = true; // until the caller has a place for the body
    return CURL_WRITEFUNC_PAUSE;
  }
  // A fast server keeps the socket full: curl would go on reading for tens
  // of milliseconds in one turn, and the host would not run meanwhile.
  if (request.turnDelivered_ && Clock::now() - request.turnStarted_ >= kTurnBudget) {
    request.paused_ = true; // taken again at the start of the next turn
    return CURL_WRITEFUNC_PAUSE;
  }
  request.turnDelivered_ = true;
  if (!request.sink_(data, bytes))
    return 0; // curl ends the request with a write error
  request.delivered_ += bytes;
  return bytes;
}

} // namespace vidtrawl::net
