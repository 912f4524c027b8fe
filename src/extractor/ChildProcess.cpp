#include "extractor/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace vidtrawl::extractor {
namespace {

// A late exit (its pipes closed before it ended) is looked for this often.
constexpr std::chrono::milliseconds kExitPoll{5};

// What a spawn needs and must give back, whatever way it leaves.
struct SpawnParts {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnParts() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnParts() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnParts(const SpawnParts &) = delete;
  SpawnParts &operator=(const SpawnParts &) = delete;
};

} // namespace

ChildProcess::ChildProcess(host::EventLoop &loop, std::vector<std::string> arguments,
                           std::size_t maxOutput, std::chrono::milliseconds timeLimit, Done done)
    : loop_(loop), maxOutput_(maxOutput), done_(std::move(done)), limit_(loop), soon_(loop) {
  Spawn(arguments);
  if (pid_ < 0) {
    soon_.Start(std::chrono::milliseconds(0), [this] { Finish(); });
    return;
  }
  limit_.Start(timeLimit, [this] {
    end_.how = ProgramEnd::How::TimedOut;
    Kill();
    Finish();
  });
  loop_.Watch(out_.Get(), host::EventLoop::kReadable,
              [this](unsigned) { Read(out_, end_.out, false); });
  loop_.Watch(err_.Get(), host::EventLoop::kReadable,
              [this](unsigned) { Read(err_, end_.err, true); });
}

ChildProcess::~ChildProcess() {
  Kill();
}

void ChildProcess::Spawn(const std::vector<std::string> &arguments) {
  int out[2];
  int err[2];
  if (arguments.empty() || pipe2(out, O_CLOEXEC) != 0) {
    end_ = {ProgramEnd::How::Unstarted, 0, arguments.empty() ? EINVAL : errno, {}, {}};
    return;
  }
  base::FileDescriptor outRead(out[0]), outWrite(out[1]);
  if (pipe2(err, O_CLOEXEC) != 0) {
    end_ = {ProgramEnd::How::Unstarted, 0, errno, {}, {}};
    return;
  }
  base::FileDescriptor errRead(err[0]), errWrite(err[1]);
  SpawnParts parts;
  posix_spawn_file_actions_addopen(&parts.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&parts.actions, outWrite.Get(), 1);
  posix_spawn_file_actions_adddup2(&parts.actions, errWrite.Get(), 2);
  // None of the program's own descriptors (its connections, its files) reach the child.
  posix_spawn_file_actions_addclosefrom_np(&parts.actions, 3);
  sigset_t none;
  sigset_t defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD})
    sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&parts.attributes, &none);
  posix_spawnattr_setsigdefault(&parts.attributes, &defaults);
  posix_spawnattr_setpgroup(&parts.attributes, 0);
  posix_spawnattr_setflags(&parts.attributes,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char *> argv;
  for (const std::string &argument : arguments)
    argv.push_back(const_cast<char *>(argument.c_str()));
  argv.push_back(nullptr);
  // A name without a slash is looked for on PATH, as a shell would.
  const int failed =
      posix_spawnp(&pid_, argv[0], &parts.actions, &parts.attributes, argv.data(), environ);
  if (failed != 0) {
    pid_ = -1;
    end_.how = failed == ENOENT ? ProgramEnd::How::Missing : ProgramEnd::How::Unstarted;
    end_.error = failed;
    return;
  }
  for (const int fd : {outRead.Get(), errRead.Get()})
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  out_ = std::move(outRead);
  err_ = std::move(errRead);
}

void ChildProcess::Read(base::FileDescriptor &pipe, std::string &into, bool tail) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = read(pipe.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return;
    if (got <= 0) {
      loop_.Watch(pipe.Get(), 0, nullptr);
      pipe.Reset();
      if (!out_ && !err_)
        Reap();
      return;
    }
    into.append(buffer, static_cast<std::size_t>(got));
    if (tail && into.size() > kErrorTail)
      into.erase(0, into.size() - kErrorTail);
    if (!tail && into.size() > maxOutput_) {
      end_.how = ProgramEnd::How::TooMuch;
      into.clear();
      Kill();
      Finish();
      return;
    }
  }
}

void ChildProcess::Reap() {
  int status = 0;
  const pid_t reaped = waitpid(pid_, &status, WNOHANG);
  if (reaped == 0) {
    soon_.Start(kExitPoll, [this] { Reap(); });
    return;
  }
  pid_ = -1;
  end_.how = ProgramEnd::How::Exited;
  end_.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  Finish();
}

void ChildProcess::Kill() {
  for (base::FileDescriptor *pipe : {&out_, &err_})
    if (*pipe) {
      loop_.Watch(pipe->Get(), 0, nullptr);
      pipe->Reset();
    }
  if (pid_ > 0) {
    // Killed, it ends at once: the wait collects it and leaves no zombie.
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

void ChildProcess::Finish() {
  limit_.Stop();
  soon_.Stop();
  Done done = std::move(done_);
  done(std::move(end_)); // last: the owner may destroy this process
}

} // namespace vidtrawl::extractor
