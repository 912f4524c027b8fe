#include "cli/CommandLine.h"

#include "base/NumberScan.h"
#include "engine/Engine.h"

#include <algorithm>
#include <string_view>

namespace vidtrawl::cli {
namespace {

enum class Takes { Nothing, Value };

struct OptionSpec {
  char shortName; // '\0': none
  std::string_view longName;
  Takes takes;
};

constexpr OptionSpec kOptions[] = {
    {'d', "dir", Takes::Value},        {'\0', "connect-to", Takes::Value},
    {'i', "input-file", Takes::Value}, {'\0', "resolve-only", Takes::Nothing},
    {'\0', "tsv", Takes::Nothing},     {'q', "quiet", Takes::Nothing},
    {'\0', "demo", Takes::Nothing},    {'h', "help", Takes::Nothing},
    {'\0', "version", Takes::Nothing}, {'\0', "known-sites-only", Takes::Nothing},
    {'j', "jobs", Takes::Value},
};

const OptionSpec *FindLong(std::string_view name) {
  for (const OptionSpec &spec : kOptions)
    if (spec.longName == name)
      return &spec;
  return nullptr;
}

const OptionSpec *FindShort(char name) {
  for (const OptionSpec &spec : kOptions)
    if (spec.shortName != '\0' && spec.shortName == name)
      return &spec;
  return nullptr;
}

// Stores one recognised option; the error text when its value is unusable.
std::string Apply(const OptionSpec &spec, const std::string &value, CliOptions &options) {
  const std::string_view name = spec.longName;
  if (name == "dir") {
    if (value.empty())
      return "option '--dir' needs a folder name";
    options.dir = value;
  } else if (name == "connect-to") {
    if (!engine::ConnectionMap::ParseEntry(value))
      return "malformed --connect-to entry '" + value + "' (expected HOST1:PORT1:HOST2:PORT2)";
    options.connectTo.push_back(value);
  } else if (name == "input-file") {
    if (value.empty())
      return "option '--input-file' needs a file name ('-' for standard input)";
    options.inputFiles.push_back(value);
  } else if (name == "jobs") {
    const std::optional<int> jobs = base::ParseInteger<int>(value);
    if (!jobs || *jobs < 1 || *jobs > engine::kMaxSimultaneousDownloads)
      return "option '--jobs' needs a number from 1 to " +
             std::to_string(engine::kMaxSimultaneousDownloads) + ", not '" + value + "'";
    options.jobs = *jobs;
  } else if (name == "resolve-only") {
    options.resolveOnly = true;
  } else if (name == "known-sites-only") {
    options.knownSitesOnly = true;
  } else if (name == "tsv") {
    options.tsv = true;
  } else if (name == "quiet") {
    options.quiet = true;
  } else if (name == "demo") {
    options.demo = true;
  } else if (name == "help") {
    options.help = true;
  } else if (name == "version") {
    options.version = true;
  }
  return {};
}

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args) {
  ParsedCommandLine parsed;
  CliOptions &options = parsed.options;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      options.urls.push_back(arg); // a lone "-" is an address like any other text
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }

    if (arg.rfind("--", 0) == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name =
          arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      const OptionSpec *spec = FindLong(name);
      if (spec == nullptr) {
        parsed.error = "unknown option '--" + name + "'";
        return parsed;
      }
      std::string value;
      if (spec->takes == Takes::Value) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          parsed.error = "option '--" + name + "' needs an argument";
          return parsed;
        }
      } else if (equals != std::string::npos) {
        parsed.error = "option '--" + name + "' takes no argument";
        return parsed;
      }
      parsed.error = Apply(*spec, value, options);
      if (!parsed.error.empty())
        return parsed;
      continue;
    }

    // One or more bundled short options; one that takes a value takes the
    // rest of the argument, or the next argument.
    for (std::size_t at = 1; at < arg.size(); ++at) {
      const OptionSpec *spec = FindShort(arg[at]);
      if (spec == nullptr) {
        parsed.error = std::string("unknown option '-") + arg[at] + "'";
        return parsed;
      }
      std::string value;
      if (spec->takes == Takes::Value) {
        if (at + 1 < arg.size()) {
          value = arg.substr(at + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          parsed.error = std::string("option '-") + arg[at] + "' needs an argument";
          return parsed;
        }
        at = arg.size();
      }
      parsed.error = Apply(*spec, value, options);
      if (!parsed.error.empty())
        return parsed;
    }
  }

  if (options.help || options.version)
    return parsed;
  if (options.demo && !options.urls.empty())
    parsed.error = "--demo takes no URL";
  else if (options.demo && !options.inputFiles.empty())
    parsed.error = "--demo takes no input file";
  else if (!options.demo && options.urls.empty() && options.inputFiles.empty())
    parsed.error = "no URL given";
  return parsed;
}

std::string UsageText(const std::string &program) {
  return "Usage: " + program +
         " [OPTIONS] URL...\n"
         "       " +
         program +
         " --demo [--dir DIR] [--tsv] [--quiet]\n"
         "Adds each video page address to the download list, downloads the videos\n"
         "in one pass and exits. Besides the twelve known sites, a video file's own\n"
         "address and any web page carrying one video file are downloaded.\n"
         "\n"
         "Options:\n"
         "  -d, --dir DIR              download folder for this run (created if missing;\n"
         "                             default: the saved download folder setting)\n"
         "      --connect-to H1:P1:H2:P2\n"
         "                             send connections meant for H1:P1 to H2:P2; an empty\n"
         "                             H1 or P1 matches any (repeatable; adds to\n"
         "                             VIDTRAWL_CONNECT_TO)\n"
         "  -i, --input-file FILE      more addresses, one per line ('-': standard input;\n"
         "                             blank lines and lines starting with # skipped)\n"
         "  -j, --jobs N               download N items at once, 1 to 16 (default: the\n"
         "                             setting Simultaneous Downloads, 3 at first)\n"
         "      --resolve-only         print URL<TAB>RESULT per address, download nothing\n"
         "                             (RESULT: the video address, -1, -2 or 0)\n"
         "      --known-sites-only     the known sites only: refuse every other address\n"
         "                             without fetching it (as the setting Known Sites Only)\n"
         "      --tsv                  after the pass print ID, address, file name, status\n"
         "                             and size of each item, tab-separated, to stdout\n"
         "  -q, --quiet                no progress and no final table\n"
         "      --demo                 offline demonstration with a built-in server\n"
         "  -h, --help                 show this help and exit\n"
         "      --version              show the version and exit\n"
         "\n"
         "Exit status: 0 every item complete, 1 otherwise, 2 bad usage, 130 interrupted.\n";
}

std::string UsageErrorText(const std::string &program, const std::string &reason) {
  return program + ": " + reason + "\nTry '" + program + " --help' for more information.\n";
}

} // namespace vidtrawl::cli
