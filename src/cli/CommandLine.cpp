#include "cli/CommandLine.h"

#include "base/ByteRate.h"
#include "base/FileDescriptor.h"
#include "base/NumberScan.h"
#include "engine/Engine.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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
    {'d', "dir", Takes::Value},
    {'\0', "connect-to", Takes::Value},
    {'i', "input-file", Takes::Value},
    {'\0', "resolve-only", Takes::Nothing},
    {'\0', "tsv", Takes::Nothing},
    {'q', "quiet", Takes::Nothing},
    {'\0', "demo", Takes::Nothing},
    {'h', "help", Takes::Nothing},
    {'\0', "version", Takes::Nothing},
    {'\0', "known-sites-only", Takes::Nothing},
    {'j', "jobs", Takes::Value},
    {'x', "connections", Takes::Value},
    {'\0', "retries", Takes::Value},
    {'\0', "limit-rate", Takes::Value},
    {'\0', "proxy", Takes::Value},
    {'\0', "user-agent", Takes::Value},
    {'\0', "referer", Takes::Value},
    {'\0', "header", Takes::Value},
    {'\0', "cookies", Takes::Value},
    {'o', "output", Takes::Value},
    {'\0', "json", Takes::Nothing},
    {'V', "", Takes::Nothing},
    {'f', "format", Takes::Value},
    {'N', "fragments", Takes::Value},
    {'v', "verbose", Takes::Nothing},
    {'F', "list-formats", Takes::Nothing},
    {'\0', "ignore-config", Takes::Nothing},
    {'\0', "extractor", Takes::Value},
    {'\0', "no-playlist", Takes::Nothing},
};

// A count an option takes, from `low` to `high`.
std::string Count(const std::string &value, const char *option, engine::Bounds bounds,
                  std::optional<int> &into) {
  const std::optional<int> count = base::ParseInteger<int>(value);
  if (!count || *count < bounds.least || *count > bounds.most)
    return "option '--" + std::string(option) + "' needs a number from " +
           std::to_string(bounds.least) + " to " + std::to_string(bounds.most) + ", not '" + value +
           "'";
  into = *count;
  return {};
}

const OptionSpec *FindLong(std::string_view name) {
  for (const OptionSpec &spec : kOptions)
    if (!spec.longName.empty() && spec.longName == name)
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
    if (!engine::IsConnectToEntry(value))
      return "malformed --connect-to entry '" + value + "' (expected HOST1:PORT1:HOST2:PORT2)";
    options.connectTo.push_back(value);
  } else if (name == "input-file") {
    if (value.empty())
      return "option '--input-file' needs a file name ('-' for standard input)";
    options.inputFiles.push_back(value);
  } else if (name == "jobs") {
    return Count(value, "jobs", engine::Config::kJobs, options.jobs);
  } else if (name == "connections") {
    return Count(value, "connections", engine::Config::kConnections, options.connections);
  } else if (name == "retries") {
    return Count(value, "retries", engine::Config::kRetries, options.retries);
  } else if (name == "fragments") {
    return Count(value, "fragments", engine::Config::kFragments, options.fragments);
  } else if (name == "format") {
    if (!engine::IsQuality(value))
      return "option '--format' needs " + std::string(engine::QualityForms()) + ", not '" + value +
             "'";
    options.quality = value;
  } else if (name == "limit-rate") {
    options.limitRate = value == "0" ? std::optional<std::uint64_t>(0) : base::ParseByteRate(value);
    if (!options.limitRate)
      return "option '--limit-rate' needs a rate such as 500k or 2M, not '" + value + "'";
  } else if (name == "proxy" || name == "user-agent" || name == "referer" || name == "cookies" ||
             name == "output") {
    if (value.empty())
      return "option '--" + std::string(name) + "' needs a value";
    // A cookie file that cannot be read would send no cookie, and say nothing.
    if (name == "cookies")
      if (const base::FileDescriptor file(::open(value.c_str(), O_RDONLY | O_CLOEXEC)); !file)
        return "cannot read the cookies file '" + value + "': " + std::strerror(errno);
    (name == "proxy"        ? options.proxy
     : name == "user-agent" ? options.userAgent
     : name == "referer"    ? options.referer
     : name == "cookies"    ? options.cookies
                            : options.output) = value;
  } else if (name == "header") {
    if (!engine::IsHeader(value))
      return "option '--header' needs 'Name: value', not '" + value + "'";
    options.headers.push_back(value);
  } else if (name == "extractor") {
    if (!engine::IsExtractor(value))
      return "option '--extractor' needs a program, its path, or 'none'";
    options.extractor = value;
  } else if (name == "no-playlist") {
    options.noPlaylist = true;
  } else if (name == "json") {
    options.json = true;
  } else if (name == "resolve-only") {
    options.resolveOnly = true;
  } else if (name == "list-formats") {
    options.listFormats = true;
  } else if (name == "ignore-config") {
    options.ignoreConfig = true;
  } else if (name == "known-sites-only") {
    options.knownSitesOnly = true;
  } else if (name == "tsv") {
    options.tsv = true;
  } else if (name == "quiet") {
    options.quiet = true;
  } else if (name == "verbose") {
    options.verbose = true;
  } else if (name == "demo") {
    options.demo = true;
  } else if (name == "help") {
    options.help = true;
  } else if (name == "version" || name.empty()) { // -V
    options.version = true;
  }
  return {};
}

// Why a name template would lead out of the download folder; empty when it stays inside.
std::string OutputInside(std::string_view form) {
  if (form.starts_with('/'))
    return "'" + std::string(form) + "' is an absolute path";
  for (std::size_t at = 0; at <= form.size();) {
    const std::size_t end = std::min(form.find('/', at), form.size());
    if (form.substr(at, end - at) == "..")
      return "'..' leads out of it";
    at = end + 1;
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
  else if (options.output && *options.output == "-" &&
           (options.urls.size() != 1 || !options.inputFiles.empty()))
    parsed.error = "'--output -' writes the file of one address to stdout";
  else if (options.output && *options.output == "-" && (options.tsv || options.json))
    parsed.error = "'--output -' goes with neither --tsv nor --json: stdout holds the file";
  else if (options.output && !OutputInside(*options.output).empty())
    parsed.error = "option '--output' names files inside the download folder: " +
                   OutputInside(*options.output);
  else if (options.json && (options.tsv || options.resolveOnly))
    parsed.error = "--json goes with neither --tsv nor --resolve-only";
  else if (options.listFormats && (options.resolveOnly || options.demo))
    parsed.error = "--list-formats goes with neither --resolve-only nor --demo";
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
         "address, an HLS or DASH playlist's and any web page carrying a video are\n"
         "downloaded. An address without a scheme is taken as https://.\n"
         "\n"
         "Options:\n"
         "  -d, --dir DIR              download folder for this run (created if missing;\n"
         "                             default: the folder the settings file names, else\n"
         "                             the current folder)\n"
         "      --connect-to H1:P1:H2:P2\n"
         "                             send connections meant for H1:P1 to H2:P2; an empty\n"
         "                             H1 or P1 matches any (repeatable; adds to\n"
         "                             VIDTRAWL_CONNECT_TO)\n"
         "  -i, --input-file FILE      more addresses, one per line ('-': standard input;\n"
         "                             blank lines and lines starting with # skipped)\n"
         "  -j, --jobs N               download N items at once, 1 to 16 (default: the\n"
         "                             setting Simultaneous Downloads, 3 at first)\n"
         "  -x, --connections N        up to N connections for one file, 1 to 16 (default:\n"
         "                             the setting Connections Per Download, 1 at first)\n"
         "      --retries N            try a transient failure again N times, 0 to 100,\n"
         "                             after 1, 2, 4 s ... (default: the setting Retries, 3)\n"
         "      --limit-rate RATE      receive at most RATE bytes a second in all (500k, 2M;\n"
         "                             0: no limit; default: the setting Speed Limit)\n"
         "  -f, --format QUALITY       the quality of a stream, or of a page's video offered\n"
         "                             in several files: best, worst, or a height (720:\n"
         "                             the best not taller; default: the setting\n"
         "                             Preferred Quality, best at first)\n"
         "  -F, --list-formats         list what each address offers (ID, extension,\n"
         "                             resolution, type, bitrate, size; * what -f takes)\n"
         "                             and exit\n"
         "  -N, --fragments N          fetch N fragments of a stream at once, 1 to 16\n"
         "                             (default: the setting Fragments At Once, 4)\n"
         "      --proxy URL            connect through this proxy (default: http_proxy,\n"
         "                             https_proxy, all_proxy and no_proxy, as curl)\n"
         "      --user-agent TEXT      the User-Agent of every request\n"
         "      --referer URL          the Referer of every request\n"
         "      --header 'NAME: VALUE' one more header for every request (repeatable)\n"
         "      --cookies FILE         send the cookies of a Netscape cookies.txt\n"
         "  -o, --output TEMPLATE      the name of every address's file: {title}, {id},\n"
         "                             {site}, {ext} and {uploader} stand for the\n"
         "                             video's (any other field for NA); '/' makes\n"
         "                             folders inside the download folder ('..' and\n"
         "                             absolute paths refused);\n"
         "                             without a field, one address's own name; '-' writes\n"
         "                             one address's file (not a stream) to stdout\n"
         "      --resolve-only         print URL<TAB>RESULT per address, download nothing\n"
         "                             (RESULT: the video address, -1, -2 or 0)\n"
         "      --ignore-config        leave the settings file unread (its folder, limit,\n"
         "                             quality and the rest); options win over it anyway\n"
         "      --known-sites-only     the known sites only: refuse every other address\n"
         "                             without fetching it (as the setting Known Sites Only)\n"
         "      --extractor PROGRAM    the site extractor asked for the video of a video\n"
         "                             host's page or of a page with no video found: a\n"
         "                             program on PATH, its path, or none (default: the\n"
         "                             setting Extractor, yt-dlp at first)\n"
         "      --no-playlist          of a playlist the extractor finds, only the page's\n"
         "                             own video (default: each video becomes an item)\n"
         "      --tsv                  after the pass print ID, address, file name, status\n"
         "                             and size of each item, tab-separated, to stdout\n"
         "  -q, --quiet                no progress and no final table (the folder the\n"
         "                             files went to is said on stderr)\n"
         "  -v, --verbose              say on stderr what is done and why: each phase of an\n"
         "                             item, each request and its answer, each retry, each\n"
         "                             step of a page's search (no cookie or credential)\n"
         "      --json                 after the pass print one JSON object per item to\n"
         "                             stdout (page, video, file, status, bytes, reason)\n"
         "      --demo                 offline demonstration with a built-in server\n"
         "  -h, --help                 show this help and exit\n"
         "  -V, --version              show the version (and the site extractor's) and exit\n"
         "\n"
         "Exit status: 0 every item complete, 1 otherwise, 2 bad usage, 130 interrupted.\n";
}

std::string UsageErrorText(const std::string &program, const std::string &reason) {
  return program + ": " + reason + "\nTry '" + program + " --help' for more information.\n";
}

} // namespace vidtrawl::cli
