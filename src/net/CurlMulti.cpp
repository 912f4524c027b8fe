#include "net/CurlMulti.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

// How long one turn may go on receiving before it gives the host its turn:
// well inside the 50 ms a window may go without its messages.
constexpr std::chrono::milliseconds kTurnBudget{4};

unsigned InterestOf(int what) {
  switch (what) {
  case CURL_POLL_IN:
    return host::EventLoop::kReadable;
  case CURL_POLL_OUT:
    return host::EventLoop::kWritable;
  case CURL_POLL_INOUT:
    return host::EventLoop::kReadable | host::EventLoop::kWritable;
  default:
    return 0;
  }
}

} // namespace

CurlMulti::CurlMulti(host::EventLoop &loop)
    : loop_(loop), multi_(curl_multi_init()), timer_(loop), resume_(loop) {
  if (multi_ == nullptr)
    return;
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMulti::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMulti::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
}

CurlMulti::~CurlMulti() {
  for (const auto &[easy, client] : clients_)
    curl_multi_remove_handle(multi_, easy);
  curl_multi_cleanup(multi_);
}

bool CurlMulti::Add(CURL *easy, Client &client) {
  if (multi_ == nullptr)
    return false;
  curl_easy_setopt(easy, CURLOPT_PRIVATE, static_cast<void *>(&client));
  if (curl_multi_add_handle(multi_, easy) != CURLM_OK)
    return false;
  clients_[easy] = &client;
  return true;
}

void CurlMulti::Remove(CURL *easy) {
  if (clients_.erase(easy) == 0)
    return;
  curl_multi_remove_handle(multi_, easy);
  std::erase(paused_, easy);
  std::erase(received_, easy);
}

int CurlMulti::OnSocket(CURL *, curl_socket_t fd, int what, void *self, void *) {
  auto &multi = *static_cast<CurlMulti *>(self);
  const unsigned interest = InterestOf(what);
  if (interest == 0) {
    multi.loop_.Watch(fd, 0, {});
    return 0;
  }
  multi.loop_.Watch(fd, interest, [&multi, fd](unsigned ready) {
    multi.Act(fd, ((ready & host::EventLoop::kReadable) ? CURL_CSELECT_IN : 0) |
                      ((ready & host::EventLoop::kWritable) ? CURL_CSELECT_OUT : 0));
  });
  return 0;
}

int CurlMulti::OnTimer(CURLM *, long millis, void *self) {
  auto &multi = *static_cast<CurlMulti *>(self);
  if (millis < 0)
    multi.timer_.Stop();
  else
    multi.timer_.Start(std::chrono::milliseconds(millis),
                       [&multi] { multi.Act(CURL_SOCKET_TIMEOUT, 0); });
  return 0;
}

bool CurlMulti::TurnOver() const {
  return inTurn_ && std::chrono::steady_clock::now() - turnStarted_ >= kTurnBudget;
}

void CurlMulti::ResumeLater(CURL *easy) {
  if (std::find(paused_.begin(), paused_.end(), easy) == paused_.end())
    paused_.push_back(easy);
}

void CurlMulti::MarkReceived(CURL *easy) {
  if (std::find(received_.begin(), received_.end(), easy) == received_.end())
    received_.push_back(easy);
}

void CurlMulti::Act(curl_socket_t fd, int events) {
  int running = 0;
  turnStarted_ = std::chrono::steady_clock::now();
  inTurn_ = true;
  curl_multi_socket_action(multi_, fd, events, &running);
  inTurn_ = false;
  Deliver();
}

void CurlMulti::ResumePaused() {
  std::vector<CURL *> paused;
  paused.swap(paused_);
  for (CURL *easy : paused)
    if (clients_.count(easy) != 0) {
      // What curl held back is delivered at once; the rest on the next turns.
      turnStarted_ = std::chrono::steady_clock::now();
      inTurn_ = true;
      curl_easy_pause(easy, CURLPAUSE_CONT);
      inTurn_ = false;
    }
  Deliver();
}

void CurlMulti::Deliver() {
  // The clients' news, after curl has returned: a client may start or end
  // requests, its own among them.
  std::vector<CURL *> received;
  received.swap(received_);
  for (CURL *easy : received)
    if (const auto it = clients_.find(easy); it != clients_.end())
      it->second->Received();
  // One message at a time: ending one handle takes its messages off too.
  int queued = 0;
  while (CURLMsg *message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg != CURLMSG_DONE)
      continue;
    CURL *easy = message->easy_handle;
    const CURLcode result = message->data.result;
    const auto it = clients_.find(easy);
    if (it == clients_.end())
      continue;
    Client *client = it->second;
    client->Ended(result);
  }
  if (!paused_.empty() && !resume_.Active())
    resume_.Start(std::chrono::milliseconds(0), [this] { ResumePaused(); });
}

} // namespace vidtrawl::net
