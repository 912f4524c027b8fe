#include "net/CurlMulti.h"

#include <algorithm>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

// How long receiving may go on, over all sockets, before the host gets a turn of its own: well
// inside the 50 ms a window may go without its messages.
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
    : loop_(loop), multi_(curl_multi_init()), timer_(loop), resume_(loop),
      room_(std::make_shared<base::FileDescriptor>(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))) {
  if (multi_ == nullptr)
    return;
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMulti::OnSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMulti::OnTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
  if (room_->Valid())
    loop_.Watch(room_->Get(), host::EventLoop::kReadable, [this](unsigned) {
      std::uint64_t told = 0;
      if (::read(room_->Get(), &told, sizeof told) > 0 && !paused_.empty())
        WakePausedAfter(std::chrono::milliseconds(0));
    });
}

std::function<void()> CurlMulti::RoomSignal() const {
  if (!room_->Valid())
    return {};
  return [room = room_] {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t put = ::write(room->Get(), &one, sizeof one);
  };
}

CurlMulti::~CurlMulti() {
  if (room_->Valid())
    loop_.Watch(room_->Get(), 0, {});
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
    // What it waited for goes with it.
    std::erase_if(multi.waiting_, [fd](const Ready &ready) { return ready.fd == fd; });
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

void CurlMulti::SetSpeedLimit(std::uint64_t bytesPerSecond) {
  rate_ = bytesPerSecond;
  tokens_ = 0;
  filled_ = std::chrono::steady_clock::now();
  // Handles held back under the old limit are taken up at once: a lifted
  // limit frees them, a new one holds them only as long as it asks.
  if (!paused_.empty())
    WakePausedAfter(std::chrono::milliseconds(0));
}

bool CurlMulti::Admit(CURL *easy, std::size_t bytes) {
  const auto now = std::chrono::steady_clock::now();
  if (inRun_ && spent_ + (now - runStarted_) >= kTurnBudget) {
    ResumeLater(easy, std::chrono::milliseconds(0));
    return false;
  }
  if (rate_ == 0)
    return true;
  // The bucket fills at the limit's rate and holds a tenth of a second of
  // it (at least one receive buffer), so that over seconds the limit holds.
  const double rate = static_cast<double>(rate_);
  tokens_ = std::min(tokens_ + rate * std::chrono::duration<double>(now - filled_).count(),
                     std::max(rate / 10, 16384.0));
  filled_ = now;
  if (tokens_ < 0) {
    ResumeLater(easy,
                std::chrono::milliseconds(static_cast<long long>(-tokens_ * 1000 / rate) + 1));
    return false;
  }
  tokens_ -= static_cast<double>(bytes);
  return true;
}

void CurlMulti::ResumeLater(CURL *easy, std::chrono::milliseconds after) {
  if (std::find(paused_.begin(), paused_.end(), easy) == paused_.end())
    paused_.push_back(easy);
  WakePausedAfter(after);
}

void CurlMulti::WakePausedAfter(std::chrono::milliseconds after) {
  const auto at = std::chrono::steady_clock::now() + after;
  if (resume_.Active() && at >= resumeAt_)
    return;
  resumeAt_ = at;
  resume_.Start(after, [this] { ResumePaused(); });
}

void CurlMulti::MarkReceived(CURL *easy) {
  if (std::find(received_.begin(), received_.end(), easy) == received_.end())
    received_.push_back(easy);
}

void CurlMulti::Act(curl_socket_t fd, int events) {
  if (spent_ < kTurnBudget && waiting_.empty()) {
    Run(fd, events);
    return;
  }
  const auto queued = std::find_if(waiting_.begin(), waiting_.end(),
                                   [fd](const Ready &ready) { return ready.fd == fd; });
  if (queued != waiting_.end())
    queued->events |= events;
  else
    waiting_.push_back({fd, events});
  WakePausedAfter(std::chrono::milliseconds(0));
}

void CurlMulti::Run(curl_socket_t fd, int events) {
  runStarted_ = std::chrono::steady_clock::now();
  inRun_ = true;
  int running = 0;
  curl_multi_socket_action(multi_, fd, events, &running);
  inRun_ = false;
  Deliver();
  spent_ += std::chrono::steady_clock::now() - runStarted_;
}

void CurlMulti::ResumePaused() {
  // A turn of the loop after the one that asked for this: the host has had its turn.
  spent_ = {};
  std::vector<CURL *> paused;
  paused.swap(paused_);
  std::vector<std::pair<CURL *, CURLcode>> refused;
  for (CURL *easy : paused)
    if (clients_.count(easy) != 0) {
      // What curl held back is delivered at once; the rest on the next turns. A delivery the
      // client refuses (a full disk, a part past its segment's end) ends the transfer here: curl
      // says so only in what this returns, and watches the handle no more.
      const CURLcode result = curl_easy_pause(easy, CURLPAUSE_CONT);
      if (result != CURLE_OK)
        refused.emplace_back(easy, result);
    }
  Deliver();
  for (const auto &[easy, result] : refused)
    if (const auto it = clients_.find(easy); it != clients_.end())
      it->second->Ended(result);
  while (!waiting_.empty() && spent_ < kTurnBudget) {
    const Ready ready = waiting_.front();
    waiting_.pop_front();
    Run(ready.fd, ready.events);
  }
  if (!waiting_.empty())
    WakePausedAfter(std::chrono::milliseconds(0));
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
}

} // namespace vidtrawl::net
