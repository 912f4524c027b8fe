#include "e2e/TerminalProcess.h"

#include <cerrno>
#include <csignal>
#include <stdexcept>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::testing {

TerminalRun RunOnTerminal(const std::filesystem::path &program,
                          const std::vector<std::string> &args,
                          const std::map<std::string, std::string> &env, unsigned short columns,
                          unsigned short rows, std::chrono::seconds limit) {
  // Everything the child needs is made before the fork: after it, only
  // async-signal-safe calls until exec.
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

  struct winsize size {};
  size.ws_col = columns;
  size.ws_row = rows;
  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
  if (pid < 0)
    throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }

  TerminalRun run;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  char buffer[65536];
  for (;;) {
    if (std::chrono::steady_clock::now() >= deadline) {
      run.timedOut = true;
      ::kill(pid, SIGKILL);
      break;
    }
    pollfd ready{terminal, POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0)
      continue;
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got > 0)
      run.screen.append(buffer, static_cast<std::size_t>(got));
    else if (got == 0 || errno != EINTR)
      break; // EIO: the program and all it started closed the terminal
  }
  ::close(terminal);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!run.timedOut && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  return run;
}

} // namespace vidtrawl::testing
