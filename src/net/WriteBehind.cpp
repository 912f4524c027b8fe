#include "net/WriteBehind.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

// Bytes handed in one after the other are written together, up to this many a write: curl hands
// in 16 KiB at a time.
constexpr std::size_t kChunk = 1 << 20;
// Buffers kept to be filled again: a queue's worth, and one for each of several connections.
constexpr std::size_t kSpares = WriteBehind::kHighWater / kChunk + 8;
constexpr std::size_t kBatch = 512 << 10;
constexpr std::chrono::milliseconds kLinger{100};

} // namespace

WriteBehind::WriteBehind(int fd) : fd_(fd) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error &) {
    // Without a thread to be had, each write is done when handed in.
  }
}

WriteBehind::~WriteBehind() {
  if (!thread_.joinable())
    return;
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void WriteBehind::Put(std::uint64_t offset, const char *data, std::size_t size) {
  if (size == 0)
    return;
  if (!thread_.joinable()) {
    Work work{offset, std::vector<char>(data, data + size), {}};
    if (Failure() == 0)
      if (const int error = WriteOut(work))
        failure_.store(error, std::memory_order_release);
    return;
  }
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    // The writer waits for a first byte, then for a batch.
    const std::size_t before = queued_.fetch_add(size, std::memory_order_acq_rel);
    wake = queue_.empty() || (before < kBatch && before + size >= kBatch);
    // Bytes that go on from a piece still waiting (so not being written) join it: a file received
    // over several connections has a piece of each waiting. A note is not passed over.
    for (auto it = queue_.rbegin(); it != queue_.rend() && !it->task; ++it)
      if (it->offset + it->bytes.size() == offset && it->bytes.size() + size <= kChunk) {
        it->bytes.insert(it->bytes.end(), data, data + size);
        if (wake)
          wake_.notify_one();
        return;
      }
    Work work{offset, {}, {}};
    if (!spare_.empty()) {
      work.bytes = std::move(spare_.back());
      spare_.pop_back();
    } else {
      work.bytes.reserve(std::max(size, kChunk));
    }
    work.bytes.assign(data, data + size);
    pending_.fetch_add(1, std::memory_order_acq_rel);
    queue_.push_back(std::move(work));
  }
  if (wake)
    wake_.notify_one();
}

bool WriteBehind::Full() {
  if (queued_.load(std::memory_order_acquire) < kHighWater &&
      tasks_.load(std::memory_order_acquire) < kMostTasks)
    return false;
  wanted_.store(true, std::memory_order_release);
  return true;
}

void WriteBehind::TellRoom(std::function<void()> told) {
  std::lock_guard lock(mutex_);
  told_ = std::move(told);
}

void WriteBehind::Then(std::function<void()> task) {
  if (!thread_.joinable()) {
    if (Failure() == 0)
      task();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    pending_.fetch_add(1, std::memory_order_acq_rel);
    tasks_.fetch_add(1, std::memory_order_acq_rel);
    queue_.push_back(Work{0, {}, std::move(task)});
    // A note is kept as soon as its bytes are: a kill loses few of them, and with them only the
    // fragments they speak for.
    hurry_ = true;
  }
  wake_.notify_one();
}

bool WriteBehind::Busy() {
  if (pending_.load(std::memory_order_acquire) == 0)
    return false;
  Hurry();
  return true;
}

void WriteBehind::Hurry() {
  {
    std::lock_guard lock(mutex_);
    hurry_ = true;
  }
  wake_.notify_one();
}

void WriteBehind::Drain() {
  Hurry();
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_.load(std::memory_order_acquire) == 0; });
}

void WriteBehind::Drop() {
  std::unique_lock lock(mutex_);
  for (const Work &work : queue_) {
    queued_.fetch_sub(work.bytes.size(), std::memory_order_acq_rel);
    tasks_.fetch_sub(work.task ? 1 : 0, std::memory_order_acq_rel);
  }
  pending_.fetch_sub(queue_.size(), std::memory_order_acq_rel);
  queue_.clear();
  done_.wait(lock, [this] { return pending_.load(std::memory_order_acquire) == 0; });
}

void WriteBehind::Run() {
  for (;;) {
    Work work;
    {
      std::unique_lock lock(mutex_);
      const auto due = [this] {
        return ending_ || hurry_ || queued_.load(std::memory_order_acquire) >= kBatch;
      };
      wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
      if (!due())
        wake_.wait_for(lock, kLinger, due);
      if (queue_.empty()) {
        if (ending_)
          return; // with everything done
        continue; // dropped meanwhile
      }
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    // After a failure the rest is given up: bytes past a hole would make a file that is not the
    // server's, and a note would speak for bytes that are not there.
    if (Failure() == 0 && work.task)
      work.task();
    else if (Failure() == 0)
      if (const int error = WriteOut(work))
        failure_.store(error, std::memory_order_release);
    std::lock_guard lock(mutex_);
    queued_.fetch_sub(work.bytes.size(), std::memory_order_acq_rel);
    tasks_.fetch_sub(work.task ? 1 : 0, std::memory_order_acq_rel);
    // A wake lost to a race with Full() costs the one holding back only its own time limit.
    if (queued_.load(std::memory_order_acquire) <= kHighWater / 2 &&
        tasks_.load(std::memory_order_acquire) <= kMostTasks / 2 &&
        wanted_.exchange(false, std::memory_order_acq_rel) && told_)
      told_();
    if (work.bytes.capacity() != 0 && spare_.size() < kSpares) {
      work.bytes.clear();
      spare_.push_back(std::move(work.bytes));
    }
    if (queue_.empty())
      hurry_ = false;
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1)
      done_.notify_all();
  }
}

int WriteBehind::WriteOut(const Work &work) const {
  const char *data = work.bytes.data();
  std::size_t size = work.bytes.size();
  auto offset = static_cast<off_t>(work.offset);
  while (size > 0) {
    const ssize_t put = ::pwrite(fd_, data, size, offset);
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      return put < 0 && errno != 0 ? errno : EIO;
    data += put;
    size -= static_cast<std::size_t>(put);
    offset += put;
  }
  return 0;
}

} // namespace vidtrawl::net
