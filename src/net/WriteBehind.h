#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vidtrawl::net {

// Writes a file's bytes from a thread of its own, in the order they were handed in. Past the
// kernel's share of dirty pages a write() of a few kilobytes waits for the disk, hundreds of
// milliseconds behind gigabytes of downloads; the loop that runs every transfer and the window
// must not wait with it. Bytes are copied in and written behind; a transfer whose file has
// kHighWater bytes waiting holds its connection back (curl keeps the bytes in the socket) until
// the disk has caught up, so memory stays bounded and the disk sets the pace, as with a write
// in place. Tasks (the file's notes) run on the same thread after the bytes handed in before
// them, so a note never speaks for bytes that are not written yet. The thread is woken once
// kBatch bytes wait, or kLinger after the first of fewer: a wake for every 16 KiB curl hands in
// cost the loop a switch to the writer each time. A task is done at once, with the bytes before
// it. After the first failure nothing more is written or run; Failure() gives its errno.
class WriteBehind {
public:
  static constexpr std::size_t kHighWater = 4 << 20;
  // So many tasks waiting hold back too: a kill loses at most these notes, and with them only
  // the bytes they speak for.
  static constexpr std::size_t kMostTasks = 4;
  // How long one who waits for the bytes to be written looks again after.
  static constexpr std::chrono::milliseconds kCatchUp{5};

  explicit WriteBehind(int fd);
  // Writes what waits first: nothing handed in is lost.
  ~WriteBehind();
  WriteBehind(const WriteBehind &) = delete;
  WriteBehind &operator=(const WriteBehind &) = delete;

  // Hands in `size` bytes for `offset`.
  void Put(std::uint64_t offset, const char *data, std::size_t size);
  // Runs `task` on the writer's thread once the bytes handed in before are written.
  void Then(std::function<void()> task);
  // Bytes and tasks handed in and not yet done; they are done at once from now on.
  bool Busy();
  // Whether enough bytes or tasks wait that the one handing them in should hold back; then
  // `told` (see TellRoom) is called once half of them are done.
  bool Full();
  // What to call, from the writer's thread, when a queue that was Full() has room again.
  void TellRoom(std::function<void()> told);
  // Waits until everything handed in is done (or given up after a failure).
  void Drain();
  // Drops what waits and waits for what is being done.
  void Drop();
  int Failure() const { return failure_.load(std::memory_order_acquire); }

private:
  struct Work {
    std::uint64_t offset = 0;
    std::vector<char> bytes;
    std::function<void()> task;
  };
  void Run();
  void Hurry();
  int WriteOut(const Work &work) const;

  const int fd_;
  std::mutex mutex_;
  std::condition_variable wake_;         // the writer: work came, or the end
  std::condition_variable done_;         // waiters: the queue emptied
  std::deque<Work> queue_;               // under mutex_
  std::vector<std::vector<char>> spare_; // buffers to fill again, under mutex_
  bool ending_ = false;                  // under mutex_
  bool hurry_ = false;                   // under mutex_: somebody waits for the queue to empty
  std::atomic<std::size_t> queued_{0};   // bytes in queue_ and being written
  std::atomic<std::size_t> pending_{0};  // items in queue_ and being done
  std::atomic<std::size_t> tasks_{0};    // tasks in queue_ and being done
  std::atomic<int> failure_{0};
  std::atomic<bool> wanted_{false}; // Full() said so, and room is to be told
  std::function<void()> told_;      // under mutex_
  std::thread thread_;
};

} // namespace vidtrawl::net
