#include "net/CurlRequest.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"
#include "net/HeaderBlock.h"

#include <algorithm>
#include <ctime>

namespace vidtrawl::net {
namespace {

constexpr long kMaxRedirects = 10;
// What one read from the socket may bring, and so one write into the file: 512 KiB took a fifth
// less time per GiB than 128 KiB here; 1 MiB no less.
constexpr long kReceiveBufferSize = 512 * 1024;
// How long a connection whose sink is behind waits before it is offered its bytes again.
// (It is told sooner when the sink has room again: see CurlMulti::RoomSignal.)
constexpr std::chrono::milliseconds kSinkBehind{20};

// The wait a Retry-After header asks for, in seconds (a number, or an HTTP
// date); -1 without one.
int RetryAfterSeconds(const std::string &block) {
  const std::size_t at = base::FindIgnoringCase(block, "\nretry-after:");
  if (at == std::string::npos)
    return -1;
  std::string value = block.substr(at + 13, block.find('\n', at + 1) - at - 13);
  while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
    value.pop_back();
  value.erase(0, value.find_first_not_of(' '));
  if (const std::optional<int> seconds = base::ParseInteger<int>(value))
    return std::max(*seconds, 0);
  const std::time_t when = curl_getdate(value.c_str(), nullptr);
  return when < 0 ? -1 : static_cast<int>(std::max<std::time_t>(0, when - std::time(nullptr)));
}

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

CurlRequest::CurlRequest(Session &session, Requester requester, std::size_t headerLimit)
    : session_(session), requester_(std::move(requester)), cookies_(session.Cookies()),
      headerLimit_(session.Loop()), failedStart_(session.Loop()), headers_(headerLimit),
      headerCap_(headerLimit * 16) {
  InitCurlOnce();
  if (!session_.Multi().Valid())
    return;
  easy_ = curl_easy_init();
  if (easy_ == nullptr)
    return;
  for (const std::string &entry : session_.Connections().CurlEntries())
    if (curl_slist *grown = curl_slist_append(connectTo_, entry.c_str()))
      connectTo_ = grown;

  const TimeLimits &limits = session_.Limits();
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
  // A server that sends nothing (before its headers, or in the middle of a
  // body) is given up on after the silence limit; a caller that receives a
  // file asks for more (its slowest rate).
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME,
                   std::max<long>(1, static_cast<long>((limits.silence.count() + 999) / 1000)));
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  curl_easy_setopt(easy_, CURLOPT_CONNECT_TO, connectTo_);
  const ClientOptions &client = session_.Client();
  const ItemRequest *item = requester_.item.get();
  // Without a proxy of its own, curl takes the environment's.
  if (!client.proxy.empty())
    curl_easy_setopt(easy_, CURLOPT_PROXY, client.proxy.c_str());
  // What a browser gave the item comes first, then the settings', then the agent's own.
  const std::string agentText = item != nullptr && !item->userAgent.empty() ? item->userAgent
                                : !client.userAgent.empty()                 ? client.userAgent
                                : requester_.agent == Agent::Browser
                                    ? std::string(ClientOptions::kBrowserAgent)
                                    : std::string(ClientOptions::kLegacyAgent);
  curl_easy_setopt(easy_, CURLOPT_USERAGENT, agentText.c_str());
  const std::string &referer =
      item != nullptr && !item->referer.empty() ? item->referer : client.referer;
  if (!referer.empty())
    curl_easy_setopt(easy_, CURLOPT_REFERER, referer.c_str());
  if (item != nullptr && !item->cookies.empty()) {
    // The browser's cookies are this request's own: a jar of its own, shared with no other item.
    curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");
    for (const std::string &cookie : item->cookies)
      curl_easy_setopt(easy_, CURLOPT_COOKIELIST, cookie.c_str());
  } else if (CURLSH *share = cookies_.Share()) {
    curl_easy_setopt(easy_, CURLOPT_SHARE, share);
    curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, ""); // the cookies of the share, no file read
  }
  // The item's headers, then the user's own.
  if (item != nullptr)
    for (const std::string &header : item->headers)
      if (curl_slist *grown = curl_slist_append(headerList_, header.c_str()))
        headerList_ = grown;
  for (const std::string &header : client.headers)
    if (curl_slist *grown = curl_slist_append(headerList_, header.c_str()))
      headerList_ = grown;
  curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, error_);
}

CurlRequest::~CurlRequest() {
  if (added_)
    session_.Multi().Remove(easy_);
  if (easy_ != nullptr)
    curl_easy_cleanup(easy_);
  curl_slist_free_all(connectTo_);
  curl_slist_free_all(headerList_);
}

void CurlRequest::ConnectOnly() {
  connectOnly_ = true;
  if (easy_ != nullptr)
    curl_easy_setopt(easy_, CURLOPT_CONNECT_ONLY, 1L);
}

void CurlRequest::HeadOnly() {
  headOnly_ = true;
  if (easy_ != nullptr)
    curl_easy_setopt(easy_, CURLOPT_NOBODY, 1L);
}

void CurlRequest::AskFrom(std::uint64_t offset, const std::string &validator,
                          std::optional<std::uint64_t> last) {
  if (easy_ == nullptr || (offset == 0 && !last))
    return;
  partOk_ = true;
  range_ = std::to_string(offset) + "-" + (last ? std::to_string(*last) : std::string());
  curl_easy_setopt(easy_, CURLOPT_RANGE, range_.c_str());
  if (!validator.empty())
    if (curl_slist *grown = curl_slist_append(headerList_, ("If-Range: " + validator).c_str())) {
      headerList_ = grown;
      curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
    }
}

void CurlRequest::Begin(const std::string &url, Handlers handlers) {
  handlers_ = std::move(handlers);
  if (requester_.trace.On())
    requester_.trace(base::TraceTopic::Http, std::string(connectOnly_ ? "CONNECT "
                                                         : headOnly_  ? "HEAD "
                                                                      : "GET ") +
                                                 base::TracedAddress(url) +
                                                 (range_.empty() ? "" : " (bytes " + range_ + ")"));
  CURLcode refused = CURLE_FAILED_INIT;
  if (easy_ != nullptr) {
    refused = curl_easy_setopt(easy_, CURLOPT_URL, url.c_str()) == CURLE_OK ? CURLE_OK
                                                                            : CURLE_URL_MALFORMAT;
    if (refused == CURLE_OK && !session_.Multi().Add(easy_, *this))
      refused = CURLE_FAILED_INIT;
  }
  if (refused != CURLE_OK) {
    failedStart_.Start(std::chrono::milliseconds(0), [this, refused] { Finish(refused); });
    return;
  }
  added_ = true;
  // A server that sends one header line now and then never trips the
  // silence limit: the whole header phase has one of its own.
  if (!connectOnly_)
    headerLimit_.Start(session_.Limits().headers, [this] {
      if (headers_.Ended() || bodyStarted_)
        return;
      headersTooSlow_ = true;
      Finish(CURLE_OPERATION_TIMEDOUT);
    });
}

void CurlRequest::Received() {
  if (handlers_.received)
    handlers_.received();
}

void CurlRequest::Ended(CURLcode result) {
  Finish(result);
}

void CurlRequest::Finish(CURLcode result) {
  if (finished_)
    return;
  finished_ = true;
  result_ = result;
  headerLimit_.Stop();
  if (requester_.trace.On())
    TraceEnd();
  // A connection made for its owner stays with the handle, on the multi.
  if (added_ && !(connectOnly_ && result == CURLE_OK)) {
    session_.Multi().Remove(easy_);
    added_ = false;
  }
  if (handlers_.ended) {
    const std::function<void()> ended = std::move(handlers_.ended);
    ended(); // last: the owner may destroy this request
  }
}

void CurlRequest::TraceEnd() const {
  const long status = headers_.Status();
  std::string line = status != 0 ? std::to_string(status) : std::string("no answer");
  if (const std::string range = ReadHeaderBlock(headers_.Block()).contentRange; !range.empty())
    line += ", " + range;
  if (const std::string type = ContentType(); !type.empty())
    line += ", " + type;
  line += ", " + std::to_string(delivered_) + " bytes";
  if (result_ != CURLE_OK)
    line += ": " + Failure().detail;
  requester_.trace(base::TraceTopic::Http, line);
}

base::Fault CurlRequest::Failure() const {
  using base::FaultKind;
  const long status = headers_.Status();
  if (rejected_ || (result_ == CURLE_OK && !Opened() && status != 0)) {
    base::Fault fault{FaultKind::HttpStatus, AnswerText(status, headers_.HasLocation()),
                      static_cast<int>(status)};
    // A server busy or failing for now, as curl's --retry takes them.
    fault.transient = status == 408 || status == 429 || status == 500 || status == 502 ||
                      status == 503 || status == 504;
    fault.retryAfter = RetryAfterSeconds(headers_.Block());
    return fault;
  }
  if (headersTooSlow_)
    return {FaultKind::Network,
            "the server did not finish its headers within " +
                std::to_string(session_.Limits().headers.count() / 1000) + " s",
            0, 0, true};
  const std::string words =
      error_[0] != '\0' ? std::string(error_) : std::string(curl_easy_strerror(result_));
  if (result_ == CURLE_URL_MALFORMAT || result_ == CURLE_UNSUPPORTED_PROTOCOL)
    return {FaultKind::BadAddress, words};
  if (result_ == CURLE_OK)
    return {FaultKind::Network, "no answer"};
  // A refused, reset or dropped connection, a time limit, an empty answer.
  constexpr CURLcode kTransient[] = {
      CURLE_COULDNT_CONNECT, CURLE_OPERATION_TIMEDOUT, CURLE_RECV_ERROR, CURLE_SEND_ERROR,
      CURLE_PARTIAL_FILE,    CURLE_GOT_NOTHING,        CURLE_HTTP2,      CURLE_HTTP2_STREAM};
  return {FaultKind::Network, words, 0, 0,
          std::find(std::begin(kTransient), std::end(kTransient), result_) != std::end(kTransient)};
}

std::int64_t CurlRequest::AnnouncedLength() const {
  curl_off_t length = -1;
  if (easy_ == nullptr ||
      curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
    return -1;
  return static_cast<std::int64_t>(length);
}

std::string CurlRequest::ContentType() const {
  const char *type = nullptr;
  if (easy_ == nullptr || curl_easy_getinfo(easy_, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK ||
      type == nullptr)
    return {};
  return type;
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
  request.headers_.AddLine(std::string_view(data, bytes));
  if (request.headers_.TotalBytes() > request.headerCap_)
    return 0; // a server that never ends its headers
  return bytes;
}

std::size_t CurlRequest::OnBody(char *data, std::size_t size, std::size_t count, void *self) {
  auto &request = *static_cast<CurlRequest *>(self);
  const std::size_t bytes = size * count;
  const long status = request.headers_.Status();
  if (IsRedirect(status) && request.headers_.HasLocation())
    return bytes; // the body of a redirect that is being followed
  if (!IsWholeResource(status, request.partOk_)) {
    request.rejected_ = true;
    return 0;
  }
  if (!request.bodyStarted_) {
    request.bodyStarted_ = true;
    if (request.handlers_.open)
      request.sink_ = request.handlers_.open(std::string_view(data, bytes));
  }
  if (!request.sink_)
    return 0; // nobody wants it: curl ends the request with a write error
  CurlMulti &multi = request.session_.Multi();
  if (request.handlers_.ready && !request.handlers_.ready()) {
    multi.HoldBack(request.easy_, kSinkBehind);
    return CURL_WRITEFUNC_PAUSE;
  }
  if (!multi.Admit(request.easy_, bytes))
    return CURL_WRITEFUNC_PAUSE; // the same bytes come again when it is taken up
  if (!request.sink_(data, bytes))
    return 0;
  request.delivered_ += bytes;
  multi.MarkReceived(request.easy_);
  return bytes;
}

} // namespace vidtrawl::net
