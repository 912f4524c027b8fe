// How a command line is read, as people and scripts write one: bundled and glued short options,
// long options with "=" or a separate value, "--" and a lone "-", and each way of getting it wrong.
#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

// The options read, in a line: what was set, or "error: " and the reason.
std::string Read(const std::vector<std::string> &args) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.error.empty())
    return "error: " + parsed.error;
  const CliOptions &o = parsed.options;
  std::string text;
  for (const std::string &url : o.urls)
    text += "url=" + url + " ";
  for (const std::string &file : o.inputFiles)
    text += "i=" + file + " ";
  if (o.dir)
    text += "d=" + *o.dir + " ";
  if (o.jobs)
    text += "j=" + std::to_string(*o.jobs) + " ";
  if (o.connections)
    text += "x=" + std::to_string(*o.connections) + " ";
  if (o.fragments)
    text += "N=" + std::to_string(*o.fragments) + " ";
  if (o.quality)
    text += "f=" + *o.quality + " ";
  if (o.output)
    text += "o=" + *o.output + " ";
  if (o.limitRate)
    text += "rate=" + std::to_string(*o.limitRate) + " ";
  for (const std::string &header : o.headers)
    text += "header=" + header + " ";
  for (const auto &[set, name] : {std::pair{o.quiet, "q"},
                                  {o.tsv, "tsv"},
                                  {o.json, "json"},
                                  {o.demo, "demo"},
                                  {o.help, "help"},
                                  {o.version, "V"}})
    if (set)
      text += std::string(name) + " ";
  if (!text.empty())
    text.pop_back();
  return text;
}

TEST(CommandLine, OptionsAsTheyAreWritten) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"-qd", "out", "u"}, "url=u d=out q"},
      {{"-dout", "u"}, "url=u d=out"},
      {{"-qdout", "u"}, "url=u d=out q"},
      {{"--dir=out", "u"}, "url=u d=out"},
      {{"--dir", "out", "u"}, "url=u d=out"},
      {{"u", "-j4", "-x", "2", "-N8", "-f720p"}, "url=u j=4 x=2 N=8 f=720p"},
      {{"--format=Best", "--fragments=16", "u"}, "url=u N=16 f=Best"},
      {{"-", "-i", "-", "-i", "list.txt"}, "url=- i=- i=list.txt"},
      {{"--", "-q", "--dir"}, "url=-q url=--dir"},
      {{"-o", "{title}.{ext}", "u"}, "url=u o={title}.{ext}"},
      {{"--header", "A: 1", "--header=B: 2", "u"}, "url=u header=A: 1 header=B: 2"},
      {{"--tsv", "-q", "u"}, "url=u q tsv"},
      {{"--demo", "-d", "x"}, "d=x demo"},
      {{"-h"}, "help"},
      {{"--version", "--nonsense-after-it"}, "error: unknown option '--nonsense-after-it'"},
      {{"-V"}, "V"},
      {{}, "error: no URL given"},
      {{"-d"}, "error: option '-d' needs an argument"},
      {{"--dir"}, "error: option '--dir' needs an argument"},
      {{"--dir=", "u"}, "error: option '--dir' needs a folder name"},
      {{"-qz", "u"}, "error: unknown option '-z'"},
      {{"--quiet=yes", "u"}, "error: option '--quiet' takes no argument"},
      {{"-j", "0", "u"}, "error: option '--jobs' needs a number from 1 to 16, not '0'"},
      {{"-j", "17", "u"}, "error: option '--jobs' needs a number from 1 to 16, not '17'"},
      {{"-N", "4x", "u"}, "error: option '--fragments' needs a number from 1 to 16, not '4x'"},
      {{"-o", "a", "u", "v"}, "error: option '--output' names the file of one address"},
      {{"--json", "--tsv", "u"}, "error: --json goes with neither --tsv nor --resolve-only"},
      {{"--demo", "u"}, "error: --demo takes no URL"},
      {{"--demo", "-i", "f"}, "error: --demo takes no input file"},
      {{"--header", "no colon", "u"},
       "error: option '--header' needs 'Name: value', not 'no colon'"},
      {{"-x", "17", "u"}, "error: option '--connections' needs a number from 1 to 16, not '17'"},
      {{"--retries=-1", "u"}, "error: option '--retries' needs a number from 0 to 100, not '-1'"},
      {{"--limit-rate=500k", "u"}, "url=u rate=512000"},
      {{"--limit-rate", "1.5M", "u"}, "url=u rate=1572864"},
      {{"--limit-rate", "2g", "u"}, "url=u rate=2147483648"},
      {{"--limit-rate", "100", "u"}, "url=u rate=100"},
      {{"-f", "hd", "u"},
       "error: option '--format' needs best, worst or a height such as 720 or 720p, not 'hd'"},
      {{"--proxy=", "u"}, "error: option '--proxy' needs a value"},
      {{"--input-file=", "u"},
       "error: option '--input-file' needs a file name ('-' for standard input)"},
      {{"--connect-to", "a:1", "u"},
       "error: malformed --connect-to entry 'a:1' (expected HOST1:PORT1:HOST2:PORT2)"},
      {{"--cookies", "/nonexistent/c.txt", "u"},
       "error: cannot read the cookies file '/nonexistent/c.txt': No such file or directory"},
  };
  for (const auto &[args, expected] : cases) {
    std::string line;
    for (const std::string &arg : args)
      line += arg + " ";
    EXPECT_EQ(Read(args), expected) << line;
  }
  for (const std::string rate : {"1x", "0", "0.5", "k", "2MB", "-1M", "1e19", "nan"})
    EXPECT_EQ(Read({"--limit-rate", rate, "u"}),
              "error: option '--limit-rate' needs a rate such as 500k or 2M, not '" + rate + "'");
}

} // namespace
} // namespace vidtrawl::cli
