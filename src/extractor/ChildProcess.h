#pragma once

#include "base/FileDescriptor.h"
#include "host/EventLoop.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vidtrawl::extractor {

// How a program run ended.
struct ProgramEnd {
  enum class How {
    Exited,    // it ended by itself: `status` is its exit status (128 + N for signal N)
    Missing,   // there is no such program to run
    Unstarted, // it could not be started (`error` is errno)
    TooMuch,   // it wrote more than the most taken, and was ended
    TimedOut,  // it ran longer than it may, and was ended
  };
  How how = How::Exited;
  int status = 0;
  int error = 0;
  std::string out; // what it wrote to its standard output
  std::string err; // the end of what it wrote to its standard error
};

// A program run as a child process, without a shell: its arguments are passed as they are. Its
// standard output and error are read as the event loop finds them ready; its input is empty.
// It runs in a process group of its own, so that ending it also ends what it started (a script's
// `sleep`, which would hold its pipes open). It starts at once and ends on the loop; destroying
// it ends the program at once (SIGKILL to its group) without a word.
class ChildProcess {
public:
  using Done = std::function<void(ProgramEnd)>;

  // Standard error's last bytes kept.
  static constexpr std::size_t kErrorTail = 64 * 1024;

  ChildProcess(host::EventLoop &loop, std::vector<std::string> arguments, std::size_t maxOutput,
               std::chrono::milliseconds timeLimit, Done done);
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess &operator=(const ChildProcess &) = delete;

private:
  void Spawn(const std::vector<std::string> &arguments);
  void Read(base::FileDescriptor &pipe, std::string &into, bool tail);
  // Both pipes closed: its exit status is collected, now or soon.
  void Reap();
  void Kill();
  void Finish();

  host::EventLoop &loop_;
  std::size_t maxOutput_;
  Done done_;
  pid_t pid_ = -1;
  base::FileDescriptor out_;
  base::FileDescriptor err_;
  ProgramEnd end_;
  host::Timer limit_;
  host::Timer soon_; // a start that failed ends on the next turn; a late exit is looked for
};

} // namespace vidtrawl::extractor
