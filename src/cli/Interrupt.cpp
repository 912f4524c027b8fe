#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

#include <unistd.h>

namespace vidtrawl::cli {
namespace {

std::atomic<bool> gInterrupted{false};
std::atomic<const engine::PollLoop *> gLoop{nullptr};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<const engine::PollLoop *>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  if (gInterrupted.exchange(true))
    ::_exit(130); // asked twice: the user wants out now
  if (const engine::PollLoop *loop = gLoop.load())
    loop->Wake();
}

} // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  // Past a file-size limit (ulimit -f) a write fails with EFBIG instead:
  // that item fails and the others go on.
  sigaction(SIGXFSZ, &ignore, nullptr);
}

void WakeOnInterrupt(const engine::PollLoop *loop) {
  gLoop.store(loop);
}

const std::atomic<bool> &InterruptFlag() {
  return gInterrupted;
}

bool InterruptRequested() {
  return gInterrupted.load(std::memory_order_relaxed);
}

} // namespace vidtrawl::cli
