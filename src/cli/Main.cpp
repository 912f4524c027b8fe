#include "base/FileDescriptor.h"
#include "cli/CliApp.h"
#include "cli/CommandLine.h"

#include <clocale>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char **argv) {
  using namespace vidtrawl::cli;
  using vidtrawl::base::WriteAll;
  // Size texts follow the user's locale (its decimal separator); everything
  // else the program writes is built without the locale.
  std::setlocale(LC_ALL, "");

  const std::string program = "vidtrawl-cli";
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.error.empty()) {
    WriteAll(STDERR_FILENO, UsageErrorText(program, parsed.error));
    return kExitUsage;
  }
  if (parsed.options.help) {
    WriteAll(STDOUT_FILENO, UsageText(program));
    return kExitComplete;
  }
  if (parsed.options.version) {
    WriteAll(STDOUT_FILENO,
             program + " " VIDTRAWL_VERSION "\n" + ExtractorVersionLine(parsed.options) + "\n");
    return kExitComplete;
  }
  return RunCli(parsed.options, program);
}
