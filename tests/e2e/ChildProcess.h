#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace vidtrawl::testing {

// A pseudo-terminal's size; 0 x 0 is a terminal that does not know it.
struct TerminalSize {
  unsigned short columns = 0;
  unsigned short rows = 0;
};

// A program run as a child process with its standard output and error
// captured through pipes, or both written to a pseudo-terminal as a user's
// terminal window receives them (into Result::err, "\n" as "\r\n").
class ChildProcess {
public:
  struct Result {
    int exitCode = -1; // -1 when it ended by a signal
    bool timedOut = false;
    std::string out;
    std::string err;
  };

  // Starts `program` with `args` in an environment of exactly `env`, its
  // standard input read from `input`, with default signal handling.
  ChildProcess(const std::filesystem::path &program, const std::vector<std::string> &args,
               const std::map<std::string, std::string> &env,
               const std::filesystem::path &input = "/dev/null",
               std::optional<TerminalSize> terminal = std::nullopt);
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess &operator=(const ChildProcess &) = delete;

  void Signal(int signal);
  // Waits for the end; past the limit the child is killed (timedOut set).
  Result Wait(std::chrono::seconds limit = std::chrono::seconds(60));

private:
  pid_t pid_ = -1;
  std::thread readers_[2];
  std::string texts_[2];
  bool waited_ = false;
};

// The built vidtrawl-cli.
std::filesystem::path CliBinary();

// An environment for the program under test: PATH and a locale, with HOME
// and the XDG folders inside `home` so that no real user's files are touched.
std::map<std::string, std::string> CliEnvironment(const std::filesystem::path &home);

// Runs vidtrawl-cli to its end.
ChildProcess::Result RunCli(const std::vector<std::string> &args,
                            const std::map<std::string, std::string> &env,
                            const std::filesystem::path &input = "/dev/null",
                            std::optional<TerminalSize> terminal = std::nullopt);

// The pieces of a text between separators, without an empty last one: the
// lines of an output, or the tab-separated fields of a line.
std::vector<std::string> Lines(const std::string &text, char separator = '\n');
inline std::vector<std::string> Fields(const std::string &line) {
  return Lines(line, '\t');
}

} // namespace vidtrawl::testing
