#pragma once

#include "base/FileDescriptor.h"
#include "host/EventLoop.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace vidtrawl::net {

// The one curl multi handle every request of the program runs on, driven by
// the host's event loop through curl's socket and timer callbacks (as
// curl's multi-event example does). Each request's handle carries its
// client (CURLINFO_PRIVATE), which hears of the bytes that arrived and of
// its end, on the loop and never from inside curl.
class CurlMulti {
public:
  class Client {
  public:
    virtual ~Client() = default;
    // Body bytes arrived in the turn that just ended.
    virtual void Received() {}
    // The transfer ended; the client may end itself in here.
    virtual void Ended(CURLcode result) = 0;
  };

  explicit CurlMulti(host::EventLoop &loop);
  ~CurlMulti();
  CurlMulti(const CurlMulti &) = delete;
  CurlMulti &operator=(const CurlMulti &) = delete;

  host::EventLoop &Loop() const { return loop_; }
  bool Valid() const { return multi_ != nullptr; }

  // Runs a handle for its client until it ends or is taken off.
  bool Add(CURL *easy, Client &client);
  void Remove(CURL *easy);

  // For a write callback: whether `bytes` may be taken now, so that the window gets its turn
  // (see spent_) and all downloads together receive no more than the speed limit allows. A
  // handle that must wait pauses (its write callback returns CURL_WRITEFUNC_PAUSE) and is taken
  // up again at the next turn, or once the limit allows.
  bool Admit(CURL *easy, std::size_t bytes);
  // For a write callback whose sink cannot take bytes now: the handle pauses, and is taken up
  // again `after` from now at the latest.
  void HoldBack(CURL *easy, std::chrono::milliseconds after) { ResumeLater(easy, after); }
  // What a sink that held its handle back calls, from any thread, once it has room again: the
  // held handles are taken up at the loop's next turn.
  std::function<void()> RoomSignal() const;
  // Tells the client of `easy` after this turn that bytes arrived.
  void MarkReceived(CURL *easy);
  // The most all requests together receive a second; 0: no limit. It holds
  // at once for the requests running too.
  void SetSpeedLimit(std::uint64_t bytesPerSecond);
  std::uint64_t SpeedLimit() const { return rate_; }

private:
  static int OnSocket(CURL *easy, curl_socket_t fd, int what, void *self, void *);
  static int OnTimer(CURLM *, long millis, void *self);
  // A socket (or curl's timer) that is ready: curl is called for it in this turn, or, once the
  // turn's time for receiving is spent or others wait before it, at the next.
  void Act(curl_socket_t fd, int events);
  // One call of curl for a socket (or its timer), then the clients' news.
  void Run(curl_socket_t fd, int events);
  void Deliver();
  // Holds `easy` back until the paused handles are taken up, `after` from now at the latest.
  void ResumeLater(CURL *easy, std::chrono::milliseconds after);
  void WakePausedAfter(std::chrono::milliseconds after);
  // The next turn: the paused handles are taken up and the waiting sockets are run.
  void ResumePaused();

  host::EventLoop &loop_;
  CURLM *multi_;
  host::Timer timer_;
  host::Timer resume_;
  // A fast server keeps a socket full, and curl goes on reading it for milliseconds; eight such
  // sockets ready in one turn would keep the window from its messages for tens of them. So the
  // time spent receiving since the host last had a turn is counted, and past a budget the
  // sockets ready wait for the next turn, in the order they came: their bytes wait in the
  // kernel, where holding them costs nothing (a paused handle's wait in a copy of curl's).
  std::chrono::steady_clock::duration spent_{};
  // A call of curl that goes on past the budget pauses the handle it is reading for: curl reads
  // on while a socket has bytes, tens of milliseconds at loopback speed.
  std::chrono::steady_clock::time_point runStarted_{};
  bool inRun_ = false;
  struct Ready {
    curl_socket_t fd;
    int events;
  };
  std::deque<Ready> waiting_;
  std::vector<CURL *> received_;
  std::vector<CURL *> paused_;
  // The speed limit's bucket: bytes that may come now (below 0: owed).
  std::uint64_t rate_ = 0;
  double tokens_ = 0;
  std::chrono::steady_clock::time_point filled_{};
  std::chrono::steady_clock::time_point resumeAt_{}; // when resume_ fires
  // The handles on the multi: a handle that is looked up again after a
  // client ran is told nothing once it is gone.
  std::unordered_map<CURL *, Client *> clients_;
  // An eventfd the sinks' threads write to; shared with them, so that it outlives their last word.
  std::shared_ptr<base::FileDescriptor> room_;
};

} // namespace vidtrawl::net
