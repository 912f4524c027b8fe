#include "host/BackgroundFileWriter.h"

#include "base/WholeFile.h"

#include <cstdint>
#include <system_error>
#include <utility>

#include <sys/eventfd.h>
#include <unistd.h>

namespace vidtrawl::host {

BackgroundFileWriter::BackgroundFileWriter(EventLoop &loop, std::filesystem::path file,
                                           std::function<void()> failed)
    : loop_(loop), file_(std::move(file)), failed_(std::move(failed)),
      wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  if (!wake_)
    return;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error &) {
    return;
  }
  loop_.Watch(wake_.Get(), EventLoop::kReadable, [this](unsigned) { TellFailures(); });
}

BackgroundFileWriter::~BackgroundFileWriter() {
  if (!thread_.joinable())
    return;
  loop_.Watch(wake_.Get(), 0, {});
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
  }
  waiting_.notify_one();
  thread_.join();
  if (failures_ != 0)
    failed_();
}

void BackgroundFileWriter::Write(std::string text) {
  if (!thread_.joinable()) {
    if (!base::ReplaceWholeFile(file_, text))
      failed_();
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    next_ = std::move(text);
  }
  waiting_.notify_one();
}

void BackgroundFileWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    waiting_.wait(lock, [this] { return next_ || ending_; });
    if (!next_)
      return; // ending, with nothing left to write
    const std::string text = std::move(*next_);
    next_.reset();
    lock.unlock();
    const bool written = base::ReplaceWholeFile(file_, text);
    lock.lock();
    if (!written) {
      ++failures_;
      const std::uint64_t one = 1;
      [[maybe_unused]] const ssize_t sent = ::write(wake_.Get(), &one, sizeof one);
    }
  }
}

void BackgroundFileWriter::TellFailures() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wake_.Get(), &count, sizeof count);
  unsigned failures = 0;
  {
    const std::lock_guard lock(mutex_);
    failures = std::exchange(failures_, 0);
  }
  for (unsigned i = 0; i < failures; ++i)
    failed_();
}

} // namespace vidtrawl::host
