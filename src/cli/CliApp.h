#pragma once

#include "cli/CommandLine.h"

namespace vidtrawl::cli {

// Exit statuses of vidtrawl-cli.
inline constexpr int kExitComplete = 0;   // every item ended "Complete"
inline constexpr int kExitIncomplete = 1; // some item did not (or a fault)
inline constexpr int kExitUsage = 2;      // the command line is unusable
inline constexpr int kExitInterrupted = 130;

// Runs what a usable command line asks for (a download pass, a resolution
// or the demo) and returns the exit status. Help and version are the
// caller's.
int RunCli(const CliOptions &options, const std::string &program);

// The site extractor of the settings (or of --extractor) and its version, as -V shows it.
std::string ExtractorVersionLine(const CliOptions &options);

} // namespace vidtrawl::cli
