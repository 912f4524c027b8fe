#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// What a program wrote to its terminal, as a user's terminal window would
// receive it (the terminal turns "\n" into "\r\n").
struct TerminalRun {
  int exitCode = -1; // -1 when it ended by a signal or ran too long
  bool timedOut = false;
  std::string screen;
};

// Runs `program` with `args` in an environment of exactly `env` on a new
// pseudo-terminal of `columns` x `rows` (0 x 0: a terminal that does not know
// its size), which is its standard input, output and error.
TerminalRun RunOnTerminal(const std::filesystem::path &program,
                          const std::vector<std::string> &args,
                          const std::map<std::string, std::string> &env, unsigned short columns,
                          unsigned short rows,
                          std::chrono::seconds limit = std::chrono::seconds(60));

} // namespace vidtrawl::testing
