#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

TEST(CommandLine, OptionsAndAddressesInAnyOrder) {
  const ParsedCommandLine parsed = ParseCommandLine(
      {"http://a.blip.tv/1", "-d", "/tmp/x", "--connect-to", "::127.0.0.1:8080", "--tsv",
       "--connect-to=h:80:i:81", "-q", "http://b.blip.tv/2", "--resolve-only"});
  ASSERT_EQ(parsed.error, "");
  const CliOptions &o = parsed.options;
  EXPECT_EQ(o.urls, (std::vector<std::string>{"http://a.blip.tv/1", "http://b.blip.tv/2"}));
  EXPECT_EQ(o.dir, "/tmp/x");
  EXPECT_EQ(o.connectTo, (std::vector<std::string>{"::127.0.0.1:8080", "h:80:i:81"}));
  EXPECT_TRUE(o.tsv);
  EXPECT_TRUE(o.quiet);
  EXPECT_TRUE(o.resolveOnly);
  EXPECT_FALSE(o.demo);
}

TEST(CommandLine, ValueForms) {
  struct Case {
    std::vector<std::string> args;
    std::string dir;
  };
  const Case cases[] = {
      {{"--dir", "A", "u"}, "A"}, {{"--dir=B", "u"}, "B"}, {{"-d", "C", "u"}, "C"},
      {{"-dD", "u"}, "D"},        {{"-qdE", "u"}, "E"},    {{"-q", "--dir=x=y", "u"}, "x=y"},
  };
  for (const Case &c : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(c.args);
    EXPECT_EQ(parsed.error, "") << c.args[0];
    EXPECT_EQ(parsed.options.dir, c.dir) << c.args[0];
    EXPECT_EQ(parsed.options.urls, std::vector<std::string>{"u"});
  }
}

TEST(CommandLine, DoubleDashEndsOptions) {
  const ParsedCommandLine parsed = ParseCommandLine({"-q", "--", "--tsv", "-d"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_FALSE(parsed.options.tsv);
  EXPECT_EQ(parsed.options.urls, (std::vector<std::string>{"--tsv", "-d"}));
}

TEST(CommandLine, HelpAndVersionNeedNoAddress) {
  EXPECT_TRUE(ParseCommandLine({"-h"}).options.help);
  EXPECT_TRUE(ParseCommandLine({"--help"}).options.help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).options.version);
  EXPECT_EQ(ParseCommandLine({"--version"}).error, "");
  EXPECT_EQ(ParseCommandLine({"--demo"}).error, "");
  EXPECT_TRUE(ParseCommandLine({"--demo", "-q"}).options.demo);
}

TEST(CommandLine, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no URL given"},
      {{"-q"}, "no URL given"},
      {{"--nope", "u"}, "unknown option '--nope'"},
      {{"-qz", "u"}, "unknown option '-z'"},
      {{"u", "--dir"}, "option '--dir' needs an argument"},
      {{"u", "-d"}, "option '-d' needs an argument"},
      {{"u", "--dir="}, "option '--dir' needs a folder name"},
      {{"u", "--connect-to"}, "option '--connect-to' needs an argument"},
      {{"--connect-to", "a:b", "u"},
       "malformed --connect-to entry 'a:b' (expected HOST1:PORT1:HOST2:PORT2)"},
      {{"--quiet=1", "u"}, "option '--quiet' takes no argument"},
      {{"--demo", "u"}, "--demo takes no URL"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ParseCommandLine(c.args).error, c.error);
}

TEST(CommandLine, UsageNamesEveryOption) {
  const std::string usage = UsageText("vidtrawl-cli");
  for (const char *option : {"--dir", "--connect-to", "--resolve-only", "--tsv", "--quiet",
                             "--demo", "--help", "--version"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
}

} // namespace
} // namespace vidtrawl::cli
