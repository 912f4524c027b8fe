#include "e2e/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::testing {
namespace {

void ReadAll(int fd, std::string &into) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR)
      continue;
    break;
  }
  ::close(fd);
}

// A pseudo-terminal, both ends close-on-exec: [0] reads what is written to [1].
bool OpenTerminal(int ends[2], TerminalSize terminal) {
  struct winsize size {};
  size.ws_col = terminal.columns;
  size.ws_row = terminal.rows;
  return ::openpty(&ends[0], &ends[1], nullptr, nullptr, &size) == 0 &&
         ::fcntl(ends[0], F_SETFD, FD_CLOEXEC) == 0 && ::fcntl(ends[1], F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

ChildProcess::ChildProcess(const std::filesystem::path &program,
                           const std::vector<std::string> &args,
                           const std::map<std::string, std::string> &env,
                           const std::filesystem::path &input,
                           std::optional<TerminalSize> terminal) {
  int outPipe[2];
  int errPipe[2];
  // On a terminal, its near end stands for stderr's pipe; stdout's stays unused.
  if (::pipe2(outPipe, O_CLOEXEC) != 0 ||
      !(terminal ? OpenTerminal(errPipe, *terminal) : ::pipe2(errPipe, O_CLOEXEC) == 0))
    throw std::runtime_error("pipe failed");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, terminal ? errPipe[1] : outPipe[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);

  // The child starts with default signal handling and nothing blocked.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> argvText{program.string()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &arg : argvText)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> envText;
  for (const auto &[name, value] : env)
    envText.push_back(name + "=" + value);
  std::vector<char *> envp;
  for (std::string &entry : envText)
    envp.push_back(entry.data());
  envp.push_back(nullptr);

  const int spawned =
      ::posix_spawn(&pid_, argvText[0].c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  if (spawned != 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    throw std::runtime_error("cannot start " + program.string());
  }
  outReader_ = std::thread([this, fd = outPipe[0]] { ReadAll(fd, out_); });
  errReader_ = std::thread([this, fd = errPipe[0]] { ReadAll(fd, err_); });
}

ChildProcess::~ChildProcess() {
  if (!waited_)
    Wait(std::chrono::seconds(0));
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !waited_)
    ::kill(pid_, signal);
}

ChildProcess::Result ChildProcess::Wait(std::chrono::seconds limit) {
  Result result;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_)
      break;
    if (done < 0 && errno != EINTR)
      break;
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  waited_ = true;
  outReader_.join();
  errReader_.join();
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
  result.out = out_;
  result.err = err_;
  return result;
}

std::filesystem::path CliBinary() {
  if (const char *binaryDir = std::getenv("VIDTRAWL_BINARY_DIR"))
    return std::filesystem::path(binaryDir) / "bin" / "vidtrawl-cli";
  return VIDTRAWL_CLI_BINARY; // the build's own, when the test runs without the variable
}

std::map<std::string, std::string> CliEnvironment(const std::filesystem::path &home) {
  std::map<std::string, std::string> env;
  const char *path = std::getenv("PATH");
  env["PATH"] = path != nullptr ? path : "/usr/bin:/bin";
  env["LC_ALL"] = "C";
  env["HOME"] = home.string();
  env["XDG_CONFIG_HOME"] = (home / ".config").string();
  env["XDG_CACHE_HOME"] = (home / ".cache").string();
  env["TMPDIR"] = home.string();
  // A sanitizer build's children report under the suite's own options.
  for (const char *name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"})
    if (const char *value = std::getenv(name))
      env[name] = value;
  return env;
}

ChildProcess::Result RunCli(const std::vector<std::string> &args,
                            const std::map<std::string, std::string> &env,
                            const std::filesystem::path &input,
                            std::optional<TerminalSize> terminal) {
  ChildProcess child(CliBinary(), args, env, input, terminal);
  return child.Wait();
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos)
      return fields;
    start = tab + 1;
  }
}

} // namespace vidtrawl::testing
