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
      {{"-h"}, " help"},
      {{"--demo", "-d", "D"}, "dir=D demo"},
      {{}, "error: no URL given"},
      {{"--nope", "u"}, "error: unknown option '--nope'"},
      {{"-qz", "u"}, "error: unknown option '-z'"},
      {{"u", "-i"}, "error: option '-i' needs an argument"},
      {{"u", "--dir="}, "error: option '--dir' needs a folder name"},
      {{"--input-file=", "u"},
       "error: option '--input-file' needs a file name ('-' for standard input)"},
      {{"--connect-to", "a:b", "u"},
       "error: malformed --connect-to entry 'a:b' (expected HOST1:PORT1:HOST2:PORT2)"},
      {{"--quiet=1", "u"}, "error: option '--quiet' takes no argument"},
      {{"--demo", "u"}, "error: --demo takes no URL"},
      {{"--demo", "-i", "f"}, "error: --demo takes no input file"},
  };
  for (const auto &[args, read] : cases)
    EXPECT_EQ(Read(args), read) << ::testing::PrintToString(args);
}

TEST(CommandLine, AnInputFileHoldsOneAddressPerLineBesideBlanksAndComments) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"\n \t\r\n# a comment\n   # an indented one\n", {}},
      {"http://a/1\n  http://a/2 \t\r\nhttp://a/3", {"http://a/1", "http://a/2", "http://a/3"}},
      {"http://a/1#part\r\n\n\nx y\n", {"http://a/1#part", "x y"}},
  };
  for (const auto &[text, addresses] : cases)
    EXPECT_EQ(AddressesOfInput(text), addresses) << text;
}

} // namespace
} // namespace vidtrawl::cli
