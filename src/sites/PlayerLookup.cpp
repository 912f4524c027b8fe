#include "sites/PlayerLookup.h"

#include "base/ControlCharacters.h"
#include "net/HostAndPort.h"
#include "net/UrlHelpers.h"
#include "sites/RedirectAnswer.h"
#include "sites/RedirectRequest.h"

#include <cstring>

namespace vidtrawl::sites {
namespace {

// The most of an answer's head that is read.
constexpr std::size_t kMaxHead = net::CurlRequest::kMaxHeaderBlock;

// Why the connection could not be made, as the system words it.
std::string ConnectProblem(net::CurlRequest &connection) {
  const CURLcode result = connection.Result();
  if (result == CURLE_OPERATION_TIMEDOUT)
    return "Connection timed out";
  long error = 0;
  if (result == CURLE_COULDNT_CONNECT &&
      curl_easy_getinfo(connection.Easy(), CURLINFO_OS_ERRNO, &error) == CURLE_OK && error != 0)
    return std::strerror(static_cast<int>(error));
  return connection.Failure().detail;
}

} // namespace

PlayerLookup::PlayerLookup(net::Session &session, const std::string &playerAddress,
                           std::chrono::milliseconds timeout, Done done)
    : session_(session), connection_(session), deadline_(session.Loop()), early_(session.Loop()),
      done_(std::move(done)) {
  host_ = playerAddress;
  std::string path(1, '/'); // an address without a path asks for the root
  net::SplitURL(host_, path);
  std::string error;
  const auto address = net::ParseHostAndPort(host_, kDefaultPort, error);
  if (!address || base::HasControlCharacter(path)) {
    early_.Start(std::chrono::milliseconds(0), [this, error = address ? "Invalid path" : error] {
      Finish({{}, error});
    });
    return;
  }
  request_ = BuildRedirectRequest(host_, path);
  deadline_.Start(timeout, [this] { Finish({{}, "Connection timed out"}); });
  connection_.ConnectOnly();
  // Through a proxy, a tunnel: the request goes as it is to the player's host.
  if (CURL *easy = connection_.Easy())
    curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
  connection_.Begin("http://" + address->host + ":" + std::to_string(address->port) + "/",
                    {.ended = [this] { Connected(); }});
}

PlayerLookup::~PlayerLookup() {
  Watch(0);
}

void PlayerLookup::Watch(unsigned interest) {
  if (fd_ < 0)
    return;
  if (interest == 0)
    session_.Loop().Watch(fd_, 0, {});
  else
    session_.Loop().Watch(fd_, interest, [this](unsigned ready) { Exchange(ready); });
}

void PlayerLookup::Connected() {
  curl_socket_t fd = CURL_SOCKET_BAD;
  if (!connection_.Succeeded() ||
      curl_easy_getinfo(connection_.Easy(), CURLINFO_ACTIVESOCKET, &fd) != CURLE_OK ||
      fd == CURL_SOCKET_BAD) {
    Finish({{}, ConnectProblem(connection_)});
    return;
  }
  fd_ = fd;
  Watch(host::EventLoop::kWritable);
}

void PlayerLookup::Exchange(unsigned ready) {
  CURL *easy = connection_.Easy();
  if (sent_ < request_.size()) {
    if ((ready & host::EventLoop::kWritable) == 0)
      return;
    std::size_t n = 0;
    const CURLcode result =
        curl_easy_send(easy, request_.data() + sent_, request_.size() - sent_, &n);
    if (result != CURLE_OK && result != CURLE_AGAIN) {
      Finish({{}, curl_easy_strerror(result)});
      return;
    }
    sent_ += n;
    if (sent_ == request_.size())
      Watch(host::EventLoop::kReadable);
    return;
  }
  char buffer[16384];
  for (;;) {
    std::size_t n = 0;
    const CURLcode result = curl_easy_recv(easy, buffer, sizeof buffer, &n);
    if (result == CURLE_AGAIN)
      return;
    if (result != CURLE_OK) {
      if (!head_.empty())
        break; // what came is all there is
      Finish({{}, curl_easy_strerror(result)});
      return;
    }
    if (n == 0) { // the peer has closed
      if (head_.empty()) {
        Finish({{}, "Connection closed by the host"});
        return;
      }
      break;
    }
    const std::size_t before = head_.size();
    head_.append(buffer, n);
    // The head may come in pieces, however far apart: only its end (or
    // the cap) ends the reading.
    if (head_.size() >= kMaxHead ||
        head_.find("\r\n\r\n", before < 3 ? 0 : before - 3) != std::string::npos)
      break;
  }
  const std::string videoPath = YoutubePathFromAnswer(head_);
  if (videoPath.empty()) {
    Finish({{}, "the player host's answer names no video"});
    return;
  }
  Finish({"http://" + host_ + videoPath, {}});
}

void PlayerLookup::Finish(Answer answer) {
  Watch(0);
  fd_ = -1;
  deadline_.Stop();
  Done done = std::move(done_);
  if (done)
    done(std::move(answer)); // last: the owner may destroy this lookup
}

} // namespace vidtrawl::sites
