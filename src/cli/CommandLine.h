#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::cli {

// What the command line asks for.
struct CliOptions {
  std::vector<std::string> urls;          // page addresses, in the order given
  std::optional<std::string> dir;         // -d, --dir: the download folder for this run
  std::vector<std::string> connectTo;     // --connect-to entries, in the order given
  std::vector<std::string> inputFiles;    // -i, --input-file: files of addresses ("-": stdin)
  std::optional<int> jobs;                // -j, --jobs: downloads at once (default: the setting)
  std::optional<int> connections;         // -x, --connections: for one file
  std::optional<int> retries;             // --retries
  std::optional<std::string> quality;     // -f, --format: a stream's or a page's files' quality
  std::optional<int> fragments;           // -N, --fragments: a stream's fragments at once
  std::optional<std::uint64_t> limitRate; // --limit-rate: bytes per second in all; 0: no limit
  std::optional<std::string> proxy;       // --proxy
  std::optional<std::string> userAgent;   // --user-agent
  std::optional<std::string> referer;     // --referer
  std::vector<std::string> headers;       // --header, in the order given
  std::optional<std::string> cookies;     // --cookies: a Netscape cookies.txt
  std::optional<std::string> output;      // -o, --output: a template of names, a name, or "-"
  std::optional<std::string> extractor;   // --extractor: the site extractor program, or "none"
  bool noPlaylist = false;                // --no-playlist: a playlist page's own video only
  bool json = false;                      // --json
  bool resolveOnly = false;               // --resolve-only
  bool listFormats = false;               // -F, --list-formats
  bool ignoreConfig = false;              // --ignore-config: the settings file left unread
  bool tsv = false;                       // --tsv
  bool knownSitesOnly = false;            // --known-sites-only
  bool quiet = false;                     // -q, --quiet
  bool verbose = false;                   // -v, --verbose: the trace on stderr
  bool demo = false;                      // --demo
  bool help = false;                      // -h, --help
  bool version = false;                   // --version
};

// The outcome of reading the command line: the options, or the one-line
// reason why the command line is unusable.
struct ParsedCommandLine {
  CliOptions options;
  std::string error; // empty when the command line is usable
};

// Reads the arguments after the program name. Options and addresses may be
// mixed; "--" ends the options. Short options may be bundled ("-qd DIR");
// long options take their value as "--dir DIR" or "--dir=DIR".
ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args);

// The usage text printed by --help.
std::string UsageText(const std::string &program);

// What a usage error prints: the reason and a hint to --help.
std::string UsageErrorText(const std::string &program, const std::string &reason);

} // namespace vidtrawl::cli
