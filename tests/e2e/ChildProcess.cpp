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

ChildProcess::ChildProcess(const std::filesystem::path &program,
                           const std::vector<std::string> &args,
                           const std::map<std::string, std::string> &env,
                           const std::filesystem::path &input,
                           std::optional<TerminalSize> terminal) {
  // [0] stdout's pipe, [1] stderr's, or a terminal that takes both; each end close-on-exec.
  int ends[2][2];
  const TerminalSize asked = terminal.value_or(TerminalSize{});
  winsize size{asked.rows, asked.columns, 0, 0};
  if (::pipe2(ends[0], O_CLOEXEC) != 0 ||
      (terminal ? ::openpty(&ends[1][0], &ends[1][1], nullptr, nullptr, &size) != 0 ||
                      ::fcntl(ends[1][0], F_SETFD, FD_CLOEXEC) != 0 ||
                      ::fcntl(ends[1][1], F_SETFD, FD_CLOEXEC) != 0
                : ::pipe2(ends[1], O_CLOEXEC) != 0))
    throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[terminal ? 1 : 0][1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1][1], STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGPIPE})
    sigaddset(&defaults, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> texts{program.string()};
  texts.insert(texts.end(), args.begin(), args.end());
  const std::size_t argc = texts.size();
  for (const auto &[name, value] : env)
    texts.push_back(name + "=" + value);
  std::vector<char *> argv, envp;
  for (std::size_t i = 0; i < texts.size(); ++i)
    (i < argc ? argv : envp).push_back(texts[i].data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  const int spawned =
      ::posix_spawn(&pid_, texts[0].c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  for (int i : {0, 1}) {
    ::close(ends[i][1]);
    readers_[i] = std::thread([this, i, fd = ends[i][0]] {
      char buffer[65536];
      for (ssize_t got;
           (got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR);)
        texts_[i].append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
      ::close(fd);
    });
  }
  if (spawned != 0) {
    waited_ = true;
    for (std::thread &reader : readers_)
      reader.join();
    throw std::runtime_error("cannot start " + program.string());
  }
}

ChildProcess::~ChildProcess() {
  if (!waited_)
    Wait(std::chrono::seconds(0));
}

void ChildProcess::Signal(int signal) {
  if (!waited_)
    ::kill(pid_, signal);
}

ChildProcess::Result ChildProcess::Wait(std::chrono::seconds limit) {
  Result result;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (pid_t done;
       (done = ::waitpid(pid_, &status, WNOHANG)) != pid_ && (done >= 0 || errno == EINTR);) {
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  waited_ = true;
  for (std::thread &reader : readers_)
    reader.join();
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = texts_[0];
  result.err = texts_[1];
  return result;
}

std::filesystem::path CliBinary() {
  if (const char *binaryDir = std::getenv("VIDTRAWL_BINARY_DIR"))
    return std::filesystem::path(binaryDir) / "bin" / "vidtrawl-cli";
  return VIDTRAWL_CLI_BINARY; // the build's own, when the test runs without the variable
}

std::map<std::string, std::string> CliEnvironment(const std::filesystem::path &home) {
  const char *path = std::getenv("PATH");
  std::map<std::string, std::string> env = {{"PATH", path ? path : "/usr/bin:/bin"},
                                            {"LC_ALL", "C"},
                                            {"HOME", home.string()},
                                            {"XDG_CONFIG_HOME", (home / ".config").string()},
                                            {"XDG_CACHE_HOME", (home / ".cache").string()},
                                            {"TMPDIR", home.string()}};
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
  return ChildProcess(CliBinary(), args, env, input, terminal).Wait();
}

std::vector<std::string> Lines(const std::string &text, char separator) {
  std::vector<std::string> pieces;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

} // namespace vidtrawl::testing
