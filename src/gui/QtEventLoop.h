#pragma once

#include "host/EventLoop.h"
#include "host/TimerQueue.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <unordered_map>

namespace vidtrawl::gui {

// The engine's event loop on Qt's: a socket notifier for each direction a
// socket is watched in, and one timer for the first of the engine's timers
// that is due. Dialogs and menus run Qt's loop too, so nothing on screen
// holds a download up.
class QtEventLoop final : public QObject, public host::EventLoop {
public:
  QtEventLoop();
  ~QtEventLoop() override;

  void Watch(int fd, unsigned interest, SocketReady ready) override;
  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> fire) override;
  void StopTimer(TimerId timer) override;

private:
  struct Watched {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
    SocketReady ready;
  };
  void Activated(int fd, unsigned ready);
  void Arm();
  // A notifier may be given up from inside its own signal: it goes later.
  static void Retire(std::unique_ptr<QSocketNotifier> &notifier);

  std::unordered_map<int, Watched> sockets_;
  host::TimerQueue timers_;
  QTimer timer_;
};

} // namespace vidtrawl::gui
