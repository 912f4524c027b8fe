#pragma once

#include "base/FileDescriptor.h"
#include "host/EventLoop.h"

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vidtrawl::host {

// Replaces one file of the program's own (the download list) from a thread of its own. Behind
// gigabytes of downloads in the page cache, the flush that makes the file safe takes up to
// seconds, which the loop must not wait for. A text handed in while another is written replaces
// the one waiting, so only the latest is written next. A write that failed is told on the loop.
// The destructor writes what is still waiting before it returns: nothing handed in is lost when
// the program ends. Without a thread to be had, each text is written at once.
class BackgroundFileWriter {
public:
  BackgroundFileWriter(EventLoop &loop, std::filesystem::path file, std::function<void()> failed);
  ~BackgroundFileWriter();
  BackgroundFileWriter(const BackgroundFileWriter &) = delete;
  BackgroundFileWriter &operator=(const BackgroundFileWriter &) = delete;

  void Write(std::string text);

private:
  void Run();
  void TellFailures();

  EventLoop &loop_;
  const std::filesystem::path file_;
  std::function<void()> failed_;
  base::FileDescriptor wake_; // the thread's word to the loop that a write failed
  std::mutex mutex_;
  std::condition_variable waiting_;
  std::optional<std::string> next_; // under mutex_
  bool ending_ = false;             // under mutex_
  unsigned failures_ = 0;           // under mutex_
  std::thread thread_;
};

} // namespace vidtrawl::host
