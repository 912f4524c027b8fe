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
constexpr std::size_t kSpares = WriteBehind::kHighWater / kChunk + 1;

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
  {
    std::lock_guard lock(mutex_);
    // Still waiting, so not being written: the next bytes of the file join it.
    if (!queue_.empty()) {
      Work &last = queue_.back();
      if (!last.task && last.offset + last.bytes.size() == offset &&
          last.bytes.size() + size <= kChunk) {
        last.bytes.insert(last.bytes.end(), data, data + size);
        queued_.fetch_add(size, std::memory_order_acq_rel);
        return;
      }
    }
    Work work{offset, {}, {}};
    if (!spare_.empty()) {
      work.bytes = std::move(spare_.back());
      spare_.pop_back();
    } else {
      work.bytes.reserve(std::max(size, kChunk));
    }
    work.bytes.assign(data, data + size);
    queued_.fetch_add(size, std::memory_order_acq_rel);
    pending_.fetch_add(1, std::memory_order_acq_rel);
    queue_.push_back(std::move(work));
  }
  wake_.notify_one();
}

void WriteBehind::Then(std::function<int()> task) {
  if (!thread_.joinable()) {
    if (Failure() == 0)
      if (const int error = task())
        failure_.store(error, std::memory_order_release);
    return;
  }
  Push(Work{0, {}, std::move(task)});
}

void WriteBehind::Push(Work work) {
  {
    std::lock_guard lock(mutex_);
    pending_.fetch_add(1, std::memory_order_acq_rel);
    queue_.push_back(std::move(work));
  }
  wake_.notify_one();
}

void WriteBehind::Drain() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_.load(std::memory_order_acquire) == 0; });
}

void WriteBehind::Drop() {
  std::unique_lock lock(mutex_);
  for (const Work &work : queue_)
    queued_.fetch_sub(work.bytes.size(), std::memory_order_acq_rel);
  pending_.fetch_sub(queue_.size(), std::memory_order_acq_rel);
  queue_.clear();
  done_.wait(lock, [this] { return pending_.load(std::memory_order_acquire) == 0; });
}

void WriteBehind::Run() {
  for (;;) {
    Work work;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
      if (queue_.empty())
        return; // ending, with everything done
      work = std::move(queue_.front());
      queue_.pop_front();
    }
    // After a failure the rest is given up: bytes past a hole would make a file that is not the
    // server's, and a note would speak for bytes that are not there.
    if (Failure() == 0)
      if (const int error = work.task ? work.task() : WriteOut(work))
        failure_.store(error, std::memory_order_release);
    std::lock_guard lock(mutex_);
    queued_.fetch_sub(work.bytes.size(), std::memory_order_acq_rel);
    if (work.bytes.capacity() != 0 && spare_.size() < kSpares) {
      work.bytes.clear();
      spare_.push_back(std::move(work.bytes));
    }
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
