#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

// What the parser made of a command line: its error, or every value and flag it set.
std::string Read(const std::vector<std::string> &args) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.error.empty())
    return "error: " + parsed.error;
  const CliOptions &o = parsed.options;
  std::string text = o.dir ? "dir=" + *o.dir : "";
  using Values = std::pair<const char *, std::vector<std::string>>;
  for (const auto &[name, values] :
       {Values{" url=", o.urls}, Values{" connect=", o.connectTo}, Values{" input=", o.inputFiles}})
    for (const std::string &value : values)
      text += name + value;
  return text + (o.resolveOnly ? " resolve-only" : "") + (o.tsv ? " tsv" : "") +
         (o.quiet ? " quiet" : "") + (o.demo ? " demo" : "") + (o.help ? " help" : "") +
         (o.version ? " version" : "");
}

// Options in every spelling, addresses after "--", errors the runs of vidtrawl-cli do not show.
TEST(CommandLine, ReadsOptionsAndAddressesOrSaysWhatIsWrong) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"http://a/1", "-d", "/tmp/x", "--connect-to", "::127.0.0.1:8080", "--tsv",
        "--connect-to=h:80:i:81", "-q", "http://b/2", "--resolve-only"},
       "dir=/tmp/x url=http://a/1 url=http://b/2 connect=::127.0.0.1:8080 connect=h:80:i:81 "
       "resolve-only tsv quiet"},
      {{"--dir=x=y", "u"}, "dir=x=y url=u"},
      {{"-qdE", "u"}, "dir=E url=u quiet"},
      {{"--input-file=-", "-qi", "more"}, " input=- input=more quiet"},
      {{"-", "-q", "--", "--tsv", "-d"}, " url=- url=--tsv url=-d quiet"},
      {{"--demo", "-d", "D"}, "dir=D demo"},
      {{"-qz", "u"}, "error: unknown option '-z'"},
      {{"u", "--dir="}, "error: option '--dir' needs a folder name"},
      {{"--input-file=", "u"},
       "error: option '--input-file' needs a file name ('-' for standard input)"},
      {{"--demo", "-i", "f"}, "error: --demo takes no input file"},
  };
  for (const auto &[args, read] : cases)
    EXPECT_EQ(Read(args), read) << ::testing::PrintToString(args);
}

} // namespace
} // namespace vidtrawl::cli
