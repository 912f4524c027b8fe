#include "gui/WaylandClipboardReader.h"

#include "base/FileDescriptor.h"
#include "gui/CopyRecords.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vidtrawl::gui {
namespace {

using Clock = std::chrono::steady_clock;

// wl-paste is handed what the clipboard holds as soon as it connects, some
// tens of milliseconds after it starts: a first record begun within this
// time holds a copy made before watching began, which is not delivered (as
// on X11). No one copies that soon after switching the monitor on.
constexpr std::chrono::milliseconds kSettle{500};
// As much of what wl-paste says on its error output as is kept.
constexpr std::size_t kMaxSaid = 1024;

std::string FindProgram(const std::string &name) {
  const char *path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
  while (!folders.empty()) {
    const std::size_t end = std::min(folders.find(':'), folders.size());
    const std::string candidate = std::string(folders.substr(0, end)) + "/" + name;
    if (end > 0 && ::access(candidate.c_str(), X_OK) == 0) // never the current folder
      return candidate;
    folders.remove_prefix(std::min(end + 1, folders.size()));
  }
  return {};
}

bool IsText(const std::string &bytes) {
  return !bytes.empty() && bytes.find('\0') == std::string::npos &&
         QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())).isValidUtf8();
}

// Runs `argv` with `envp` in a process group of its own, its input empty,
// its output and error output on `out` and `err`; killed when the calling
// thread ends. Only calls that are safe between fork and exec happen there.
pid_t Spawn(const std::vector<char *> &argv, const std::vector<char *> &envp, int out, int err) {
  const base::FileDescriptor empty(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid != 0)
    return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent)
    ::_exit(127);
  ::setpgid(0, 0);
  sigset_t none;
  ::sigemptyset(&none);
  ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGCHLD, SIG_DFL);
  ::dup2(empty.Get(), STDIN_FILENO);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  ::execve(argv[0], argv.data(), envp.data());
  constexpr char kCannotRun[] = "wl-paste could not be run\n";
  [[maybe_unused]] const ssize_t wrote = ::write(STDERR_FILENO, kCannotRun, sizeof kCannotRun - 1);
  ::_exit(127);
}

} // namespace

std::unique_ptr<WaylandClipboardReader> WaylandClipboardReader::Open(Ended ended,
                                                                     const char *display) {
  std::string program = FindProgram("wl-paste");
  if (program.empty())
    return nullptr;
  return std::unique_ptr<WaylandClipboardReader>(
      new WaylandClipboardReader(std::move(program), std::move(ended), display));
}

WaylandClipboardReader::WaylandClipboardReader(std::string program, Ended ended,
                                               const char *display)
    : program_(std::move(program)), ended_(std::move(ended)) {
  for (char **variable = environ; *variable != nullptr; ++variable)
    if (display == nullptr || std::strncmp(*variable, "WAYLAND_DISPLAY=", 16) != 0)
      environment_.emplace_back(*variable);
  if (display != nullptr)
    environment_.push_back(std::string("WAYLAND_DISPLAY=") + display);
}

WaylandClipboardReader::~WaylandClipboardReader() {
  Stop();
}

void WaylandClipboardReader::Start(Delivery delivery) {
  if (Running())
    return;
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  delivery_ = std::move(delivery);
  thread_ = std::thread([this] { Run(); });
}

void WaylandClipboardReader::Stop() {
  if (!Running())
    return;
  const char stop = 1;
  [[maybe_unused]] const ssize_t wrote = ::write(wake_[1], &stop, 1);
  thread_.join();
  ::close(wake_[0]);
  ::close(wake_[1]);
  wake_[0] = wake_[1] = -1;
}

void WaylandClipboardReader::Run() {
  CopyRecords records(kMaxText);
  const std::string command = records.Command();
  std::vector<char *> argv;
  for (const char *arg : {program_.c_str(), "--no-newline", "--type", "text", "--watch", "/bin/sh",
                          "-c", command.c_str()})
    argv.push_back(const_cast<char *>(arg));
  argv.push_back(nullptr);
  std::vector<char *> envp;
  for (std::string &variable : environment_)
    envp.push_back(variable.data());
  envp.push_back(nullptr);

  int out[2] = {-1, -1}, err[2] = {-1, -1};
  const bool piped = ::pipe2(out, O_CLOEXEC) == 0 && ::pipe2(err, O_CLOEXEC) == 0;
  const base::FileDescriptor outRead(out[0]), errRead(err[0]);
  base::FileDescriptor outWrite(out[1]), errWrite(err[1]);
  started_ = Clock::now();
  const pid_t pid = piped ? Spawn(argv, envp, outWrite.Get(), errWrite.Get()) : -1;
  if (pid < 0) {
    if (ended_)
      ended_(Ending::kFailed,
             std::string("wl-paste could not be started: ") + std::strerror(errno));
    return;
  }
  // The write ends are then held by wl-paste and the commands it runs
  // alone: the pipes close when those end.
  outWrite.Reset();
  errWrite.Reset();

  std::string said;
  const bool stopped = Follow(outRead.Get(), errRead.Get(), records, said);
  // Whatever the group still runs (a command waiting for a copy) goes too.
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (stopped || !ended_)
    return;
  const std::string line = said.substr(0, said.find('\n'));
  if (said.find("data-control") != std::string::npos)
    ended_(Ending::kUnsupported, line);
  else
    ended_(Ending::kFailed, line.empty() ? "wl-paste ended" : line);
}

bool WaylandClipboardReader::Follow(int out, int err, CopyRecords &records, std::string &said) {
  bool initial = false; // the first record holds what the clipboard held at the start
  char buffer[4096];
  pollfd waits[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {wake_[0], POLLIN, 0}};
  while (waits[0].fd >= 0 || waits[1].fd >= 0) {
    if (::poll(waits, 3, -1) < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (waits[2].revents != 0)
      return true;
    if (waits[1].revents != 0) {
      const ssize_t got = ::read(err, buffer, sizeof buffer);
      if (got > 0)
        said.append(buffer, std::min(static_cast<std::size_t>(got), kMaxSaid - said.size()));
      else if (got == 0 || errno != EINTR)
        waits[1].fd = -1;
    }
    if (waits[0].revents == 0)
      continue;
    const ssize_t got = ::read(out, buffer, sizeof buffer);
    if (got <= 0) {
      if (got == 0 || errno != EINTR)
        waits[0].fd = -1;
      continue;
    }
    const std::size_t begunBefore = records.Begun();
    std::vector<CopyRecords::Copy> copies =
        records.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
    if (begunBefore == 0 && records.Begun() > 0)
      initial = Clock::now() - started_ < kSettle;
    for (const CopyRecords::Copy &copy : copies)
      if (!(copy.record == 0 && initial) && IsText(copy.bytes) && delivery_)
        delivery_(copy.bytes);
  }
  return false;
}

} // namespace vidtrawl::gui
