// vidtrawl-cli as users and scripts run it: the outputs, the saved folder, the resolve-only codes,
// addresses from a file or stdin, pages of no known site, the demo, usage errors and exit statuses.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/PageFixtures.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using cli::TheDemoSite;

class CliRunsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    env = CliEnvironment(home.path());
  }
  std::string Mapping() const { return "::127.0.0.1:" + std::to_string(server.Port()); }
  ChildProcess::Result Run(std::vector<std::string> args, const fs::path &input = "/dev/null") {
    env["VIDTRAWL_CONNECT_TO"] = Mapping();
    return RunCli(args, env, input);
  }
  const cli::DemoPage &Page(std::size_t n) const { return TheDemoSite().pages[n]; }

  TempDir home, downloads;
  cli::DemoServer server{std::chrono::milliseconds(0)};
  std::map<std::string, std::string> env;
};

TEST_F(CliRunsTest, OutputsGoWhereTheyBelong) {
  // A log (stderr is a pipe): plain lines; the table on stdout under its heading. The mapping
  // is an option here, in the environment elsewhere.
  auto result =
      RunCli({"--dir=" + downloads.path().string(), "--connect-to=" + Mapping(), Page(4).address},
             CliEnvironment(home.path()));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("[1] Complete " + Page(4).fileName + ", 384 KB"), std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("\x1b["), std::string::npos) << "no terminal codes in a log";
  auto lines = Lines(result.out);
  ASSERT_GE(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[1].rfind("ID  STATUS", 0), 0u) << result.out;
  EXPECT_NE(lines[2].find("Complete  " + Page(4).fileName), std::string::npos) << result.out;

  // With --tsv the records alone go to stdout, the table to stderr.
  result = Run({"--tsv", "-d", downloads.path().string(), Page(5).address});
  EXPECT_EQ(Lines(result.out).size(), 1u) << result.out;
  EXPECT_NE(result.err.find("ID  STATUS"), std::string::npos) << result.err;

  // Records that cannot be written make a failed run.
  env["VIDTRAWL_CONNECT_TO"] = Mapping();
  result = ChildProcess("/bin/sh",
                        {"-c", "exec \"$0\" \"$@\" >/dev/full", CliBinary().string(), "--tsv", "-q",
                         "-d", downloads.path().string(), Page(6).address},
                        env)
               .Wait();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "vidtrawl-cli: cannot write the results: No space left on device\n");

  // Without -d the saved folder is used, and the settings stay as they were.
  const fs::path saved = home / "saved videos";
  const fs::path registry = home / ".config/vidtrawl/registry.ini";
  fs::create_directories(registry.parent_path());
  const std::string settings = "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                               "URL Mon=False\nDownload Dir=" +
                               saved.string() + "\n";
  WriteFile(registry, settings);
  result = Run({"-q", Page(10).address});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(fs::exists(saved / Page(10).fileName));
  EXPECT_EQ(ReadFile(registry), settings);
}

TEST_F(CliRunsTest, ResolveOnlyPrintsEachCodeOrAddressAndDownloadsNothing) {
  WriteFile(home / "urls.txt", "# my list\r\n\n  " + Page(0).address + " \r\n\t# " +
                                   Page(2).address + "\n" + Page(2).address);
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> lines;
    int exitCode;
  } runs[] = {
      {{Page(10).address, "ftp://www.example.org/video/1", "http://media.putfile.com/nothing",
        Page(1).address, "ftp://www.example.org/a\tb", "-", "--", "-d"},
       {Page(10).address + "\t" + Page(10).videoAddress, "ftp://www.example.org/video/1\t-1",
        "http://media.putfile.com/nothing\t-2", Page(1).address + "\t" + Page(1).videoAddress,
        "ftp://www.example.org/a b\t-1", "-\t-1", "-d\t-1"},
       1},
      // The command line's addresses first, then the file's; blanks, CR and comments gone.
      {{"-qi", (home / "urls.txt").string(), "ftp://www.example.org/1"},
       {"ftp://www.example.org/1\t-1", Page(0).address + "\t" + Page(0).videoAddress,
        Page(2).address + "\t" + Page(2).videoAddress},
       1},
  };
  for (const auto &run : runs) {
    std::vector<std::string> args{"--resolve-only"};
    args.insert(args.end(), run.args.begin(), run.args.end());
    const auto result = Run(args);
    EXPECT_EQ(result.exitCode, run.exitCode) << result.err;
    EXPECT_EQ(Lines(result.out), run.lines);
  }
  // Standard input, every line an address: exit 0.
  const auto stdinResult = Run({"--resolve-only", "--input-file=-"}, home / "urls.txt");
  EXPECT_EQ(stdinResult.exitCode, 0) << stdinResult.err;
  EXPECT_EQ(Lines(stdinResult.out).size(), 2u);
  EXPECT_FALSE(fs::exists(home / "Downloaded Videos"));
}

TEST(CliUsage, BadUsageGivesTheReasonAndAHintHelpAndVersionDoNot) {
  TempDir home;
  const std::string longLines = (home / "long.txt").string();
  WriteFile(longLines, "http://blip.tv/file/1\n" + std::string(9000, 'a'));
  const struct {
    std::vector<std::string> args;
    std::string error; // part of the one-line error
  } cases[] = {
      {{"--bogus", "http://blip.tv/file/1"}, "unknown option '--bogus'"},
      {{"http://blip.tv/file/1", "--dir"}, "option '--dir' needs an argument"},
      {{"--connect-to", "localhost", "http://blip.tv/file/1"}, "malformed --connect-to"},
      // How each option is read and refused is the command line's own test; one for the form.
      {{"--tsv"}, "no URL given"},
      {{"-i", "/nonexistent/urls.txt"}, "cannot read input file '/nonexistent/urls.txt'"},
      // Input that is no list of addresses ends the reading before it costs memory.
      {{"-i", "/dev/zero"}, "line 1 of input file '/dev/zero' holds a NUL byte"},
      {{"-i", longLines}, "line 2 of input file '" + longLines + "' is longer than 8192 bytes"},
      {{"--dir", "/proc/self/no-such-folder", "http://blip.tv/file/1"},
       "cannot create the download folder"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.error);
    const auto result = RunCli(c.args, CliEnvironment(home.path()));
    EXPECT_EQ(result.exitCode, 2);
    const auto lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 2u) << result.err;
    EXPECT_EQ(lines[0].rfind("vidtrawl-cli: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(c.error), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Try 'vidtrawl-cli --help' for more information.");
    EXPECT_EQ(result.out, "");
  }
  const auto help = RunCli({"--help"}, CliEnvironment(home.path()));
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: vidtrawl-cli", 0), 0u);
  EXPECT_EQ(RunCli({"-h"}, CliEnvironment(home.path())).out, help.out);
  const auto version = RunCli({"--version"}, CliEnvironment(home.path()));
  EXPECT_EQ(version.out.substr(0, version.out.find('\n')),
            std::string("vidtrawl-cli ") + VIDTRAWL_VERSION);
  EXPECT_EQ(RunCli({"-V"}, CliEnvironment(home.path())).out, version.out);
  EXPECT_EQ(Lines(RunCli({"-V", "--extractor", "none"}, CliEnvironment(home.path())).out).at(1),
            "site extractor: none");
  EXPECT_EQ(Lines(RunCli({"-V", "--extractor", "/no/such"}, CliEnvironment(home.path())).out)
                .at(1)
                .rfind("site extractor: /no/such (cannot be run: install", 0),
            0u);
}

// Pages of no known site, served with their videos: each fixture with a video is downloaded under
// its page's title (a player page it names is searched, once), the others fail with their reasons;
// so do answers that are no page, by what their server sends. With the known sites only, none is
// fetched.
TEST(CliPages, EachFixturePageAsItCarries) {
  ContentServer server; // the pages and, for those that have one, their videos
  const auto pathOf = [](const std::string &address) {
    return address.substr(address.find('/', 7), address.find('?') - address.find('/', 7));
  };
  TempDir home;
  std::vector<std::string> args = {"--tsv", "-v", "-d", (home / "v").string()};
  struct Expected {
    std::string name, reason, body;
  };
  std::vector<Expected> expected;
  for (const PageFixture &fixture : kPageFixtures) {
    server.Serve(pathOf(fixture.address), PageFixtureText(fixture), true, "text/html");
    if (fixture.result == PageResult::File)
      server.Serve(pathOf(fixture.video), std::string("video of ") + fixture.file);
    // A page's playlist is taken up: this one is live, and says so.
    if (fixture.result == PageResult::Hls)
      server.Serve(pathOf(fixture.video), "#EXTM3U\n#EXTINF:2,\nlive.ts\n");
    if (fixture.result == PageResult::Dash)
      server.Serve(pathOf(fixture.video), "<MPD type=\"dynamic\"></MPD>");
  }
  for (const PageFixture &fixture : kPageFixtures) {
    args.push_back(fixture.address);
    std::string from = fixture.file; // a page to follow: the fixture at its address
    for (const PageFixture &next : kPageFixtures)
      if (fixture.result == PageResult::Follow && fixture.video == std::string(next.address))
        from = next.file;
    const bool hosted = fixture.result == PageResult::Hosted;
    const bool stream = fixture.result == PageResult::Hls || fixture.result == PageResult::Dash;
    expected.push_back({fixture.name,
                        stream ? "live streams are not supported"
                               : fixture.reason + (hosted ? ": " + std::string(fixture.video) : ""),
                        "video of " + from});
  }
  // More than a page may be: only its headers are read as a page's.
  const std::string big = Pattern((16 << 20) + 1, 5);
  const auto answer = [&](const std::string &address, const std::string &status,
                          const std::string &head, const std::string &body, Expected outcome) {
    server.Serve(pathOf(address), [=](bool isHead) {
      return RawServer::Reply{RawResponse(
          "HTTP/1.1 " + status, head + "Content-Length: " + std::to_string(body.size()) + "\r\n",
          isHead ? "" : body)};
    });
    if (!outcome.body.empty() || !outcome.reason.empty()) {
      args.push_back(address);
      expected.push_back(std::move(outcome));
    }
  };
  const std::string bytes = "Content-Type: application/octet-stream\r\n";
  answer("http://files.example.net/get_video?id=6", "200 OK", "Content-Type: video/mp4\r\n", big,
         {"get_video", "", big});
  answer("http://files.example.net/watch/a", "302 Found", "Location: /clips/a.mp4\r\n", "",
         {"a", "", "clip a"});
  answer("http://files.example.net/clips/a.mp4", "200 OK", bytes, "clip a", {});
  answer("http://files.example.net/download?f=7", "200 OK",
         bytes + "Content-Disposition: attachment; filename=\"quay-at-night.mkv\"\r\n", "night",
         {"quay-at-night.mkv", "", "night"});
  // A sound is never a page's video; the user's own address to one is a file.
  answer("http://files.example.net/episode/5", "200 OK", "Content-Type: text/html\r\n",
         "<meta name=twitter:player:stream content=/listen/5>",
         {"", "no video found on this page: its media is a sound (audio/mpeg)", ""});
  answer("http://files.example.net/listen/5", "200 OK", "Content-Type: audio/mpeg\r\n", "ID3",
         {"5", "", "ID3"});
  answer("http://files.example.net/live/harbour", "200 OK",
         "Content-Type: Application/X-MpegURL\r\n", "#EXTM3U\n",
         {"", "live streams are not supported", ""});
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.server.port());
  const ChildProcess::Result result = RunCli(args, env);
  EXPECT_EQ(result.exitCode, 1);
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), expected.size()) << result.out << result.err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Expected &item = expected[i];
    SCOPED_TRACE(args[i + 4]);
    const std::vector<std::string> fields = Fields(lines[i]);
    if (item.reason.empty()) {
      EXPECT_EQ(fields[2] + " " + fields[3], item.name + " Complete");
      EXPECT_TRUE(ReadFile(home / "v" / item.name) == item.body);
    } else {
      EXPECT_EQ(fields[3], "ERROR");
      EXPECT_NE(result.err.find(item.reason), std::string::npos) << result.err;
    }
  }
  // -v says which rule decided each page, and what the search passed over (the article's
  // advertisement).
  for (std::size_t i = 0; i < std::size(kPageFixtures); ++i) {
    const bool none = kPageFixtures[i].result == PageResult::None;
    EXPECT_NE(result.err.find("[page] #" + std::to_string(i + 1) +
                              (none ? " no rule found a video" : " decided by ")),
              std::string::npos)
        << kPageFixtures[i].file;
  }
  EXPECT_NE(result.err.find("[page] #10 passed over "), std::string::npos) << result.err;
  // The known sites only: every one is an unsupported link, and nothing is asked.
  const std::size_t asked = server.server.Requests().size();
  args.insert(args.begin(), "--known-sites-only");
  const auto lines2 = Lines(RunCli(args, env).out);
  ASSERT_EQ(lines2.size(), expected.size());
  for (const std::string &line : lines2)
    EXPECT_EQ(Fields(line)[2] + " " + Fields(line)[3], "Un supported link ERROR") << line;
  EXPECT_EQ(server.server.Requests().size(), asked);
}

// The options people reach for, as the server sees them and scripts read them: a user agent, a
// referer, a header and cookies with every request, the file over four connections under a name of
// the user's form, no second try, one JSON object per item; through a proxy; and a failure's line
// naming its address, with the folder the files went to after the table.
TEST(CliOptions, EachOptionReachesTheRequestsAndTheOutput) {
  ContentServer server;
  TempDir home, downloads;
  const std::string body = Pattern(4 << 20, 6);
  server.ServeHeld("/clips/harbour.mp4", body, 0)->open = true;
  WriteFile(home / "cookies.txt", "media.example.net\tFALSE\t/\tFALSE\t0\tsession\tabc\n");
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.server.port());
  const std::string address = "http://media.example.net/clips/harbour.mp4";
  auto result = RunCli({"--user-agent",
                        "Trawler/1",
                        "--referer",
                        "http://quay.example/",
                        "--header",
                        "X-Harbour: north",
                        "--cookies",
                        (home / "cookies.txt").string(),
                        "-x",
                        "4",
                        "--retries",
                        "0",
                        "-o",
                        "{site}-{id}.{ext}",
                        "--json",
                        "-q",
                        "-v",
                        "-d",
                        downloads.path().string(),
                        address},
                       env);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  // -v tells each request, the ranges asked, and never a cookie.
  EXPECT_NE(result.err.find("[http] #1 GET " + address + " (bytes "), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("[item] #1 asking -> receiving"), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("abc"), std::string::npos) << result.err;
  const std::string file = (downloads / "video file-harbour.mp4").string();
  EXPECT_TRUE(ReadFile(file) == body);
  EXPECT_EQ(result.out, "{\"bytes\":4194304,\"file\":\"" + file + "\",\"page\":\"" + address +
                            "\",\"reason\":null,\"status\":\"Complete\",\"video\":\"" + address +
                            "\"}\n");
  int ranges = 0;
  for (const std::string &request : server.server.Requests()) {
    for (const char *sent : {"User-Agent: Trawler/1\r\n", "Referer: http://quay.example/\r\n",
                             "X-Harbour: north\r\n", "Cookie: session=abc\r\n"})
      EXPECT_NE(request.find(sent), std::string::npos) << sent << " in " << request;
    ranges += request.find("\r\nRange: bytes=") != std::string::npos;
  }
  EXPECT_EQ(ranges, 4);
  // Through a proxy: it is asked for the absolute address. A failure's line names its address.
  result = RunCli({"--proxy", server.server.url(""), "--retries=0", "-d", downloads.path().string(),
                   address, "http://media.example.net/clips/missing.mp4"},
                  CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 1);
  const std::vector<std::string> requests = server.server.Requests(); // both items' at once
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&](const std::string &request) {
    return request.find("GET " + address + " HTTP/1.1") != std::string::npos;
  }));
  EXPECT_NE(result.err.find("vidtrawl-cli: http://media.example.net/clips/missing.mp4: the server "
                            "reported no such file"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("The files are in " + downloads.path().string() + "."),
            std::string::npos)
      << result.out;
}

// What terminal users type, run in a folder of their own ({work}) against a page that offers its
// video in two files and a stream of two variants: what ends where, what stdout holds, what
// stderr says; with a settings file of the desktop's where a row says so.
TEST(CliHabits, WhatTerminalUsersTypeAndFind) {
  ContentServer server;
  const PageFixture &page =
      *std::find_if(std::begin(kPageFixtures), std::end(kPageFixtures), [](const PageFixture &f) {
        return f.file == std::string("progressive-sources.html");
      });
  const std::string title = "Seals in the harbour mouth";
  const std::string file = "http://sealwatch.example.org/media/harbour-seals-240p.mp4";
  const std::string stream = "http://sealwatch.example.org/live/seals.m3u8";
  server.Serve("/2026/harbour-mouth", PageFixtureText(page), true, "text/html");
  server.Serve("/media/harbour-seals-240p.mp4", "seals 240", true, "video/mp4");
  server.Serve("/media/harbour-seals-720p.mp4", "seals 720", true, "video/mp4");
  server.Serve("/live/seals.m3u8",
               "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=640x360\nlow.m3u8\n"
               "#EXT-X-STREAM-INF:BANDWIDTH=2400000,RESOLUTION=1280x720\nhigh.m3u8\n",
               true, "application/vnd.apple.mpegurl");
  // A site extractor that offers a host's video as a file with both tracks, and as a taller video
  // and an audio to be joined.
  TempDir tools;
  const std::string host = "https://vimeo.com/76979871", x = (tools / "x").string();
  WriteFile(x, R"(#!/bin/sh
echo '{"title":"Seals hosted","formats":[{"format_id":"18","ext":"mp4","protocol":"https",
"url":"http://h/18.mp4","width":426,"height":240,"filesize":9},{"format_id":"137","ext":"mp4",
"protocol":"https","url":"http://h/137.mp4","width":1280,"height":720,"acodec":"none","tbr":2400},
{"format_id":"140","ext":"m4a","protocol":"https","url":"http://h/140.m4a","vcodec":"none",
"filesize_approx":4096}]}')");
  fs::permissions(x, fs::perms::owner_all);
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::map<std::string, std::string> files; // below {work}
    std::vector<std::string> out, err;        // found in stdout, in stderr
    bool settings = false; // a settings file naming a folder, a rate limit and a quality
  } rows[] = {
      // A page's sources are its qualities: -f takes one of them, -F lists them. No folder
      // given, none in settings: the current one, said in the summary.
      {{"-f", "240", page.address},
       0,
       {{page.name, "seals 240"}},
       {"The files are in {work}.\n"},
       {}},
      {{"-F", page.address},
       0,
       {},
       {"Formats of " + std::string(page.address) + " (" + title + "):",
        "file-240p  mp4  240p        file           9 Bytes\n",
        "file-720p  mp4  720p        file           9 Bytes  *\n"},
       {}},
      {{"-F", "-f", "worst", page.address},
       0,
       {},
       {"file-240p  mp4  240p        file           9 Bytes  *\n"},
       {}},
      {{"-F", "-f", "360", stream},
       0,
       {},
       {"hls-360p  mp4  640x360     hls   800 kb/s        *\n",
        "hls-720p  mp4  1280x720    hls   2.4 Mb/s\n"},
       {}},
      // A video host's address goes to the site extractor, which lists its formats and resolves.
      {{"-F", "--extractor", x, host},
       0,
       {},
       {"Formats of " + host + " (Seals hosted):\n",
        "18   mp4  426x240     https            9 Bytes\n",
        "137  mp4  1280x720    https  2.4 Mb/s           *\n",
        "140  m4a  audio only  https               4 KB  *\n"},
       {}},
      {{"--resolve-only", "--extractor", x, "-f", "240", host},
       0,
       {},
       {host + "\thttp://h/18.mp4\n"},
       {}},
      // -o is a template of every address's name, its folders made inside the download folder;
      // an unknown field is NA, said once.
      {{"-q", "-o", "sub/{title}/{channel}-{uploader}.{ext}", page.address, file},
       0,
       {{"sub/" + title + "/NA-NA.mp4", "seals 720"},
        {"sub/harbour-seals-240p/NA-NA.mp4", "seals 240"}},
       {},
       {"--output: {channel} stands for nothing known here: NA in its place\n",
        "The files are in {work}.\n"}},
      // -o - writes one file to stdout; a stream is refused with why.
      {{"-o", "-", file}, 0, {}, {"seals 240"}, {}},
      {{"-o", "-", stream},
       2,
       {},
       {},
       {"'--output -' writes a single file to stdout, and " + stream + " is a stream"}},
      // The settings file's folder, limit and quality, each limit and quality said once;
      // --ignore-config leaves them all; an address without a scheme is a secure site's.
      {{"-q", page.address},
       0,
       {{"../saved/" + title + ".mp4", "seals 240"}},
       {},
       {"the settings file limits the rate to 900k bytes a second (--limit-rate 0 lifts it)",
        "the settings file asks for the quality 240 (-f best takes the best)"},
       true},
      {{"--ignore-config", page.address}, 0, {{title + ".mp4", "seals 720"}}, {}, {}, true},
      {{"--resolve-only", "--connect-to=:443:127.0.0.1:1",
        "sealwatch.example.org/2026/harbour-mouth"},
       1,
       {},
       {"https://sealwatch.example.org/2026/harbour-mouth\t"},
       {}},
  };
  for (const auto &row : rows) {
    std::string line;
    for (const std::string &arg : row.args)
      line += arg + " ";
    SCOPED_TRACE(line);
    TempDir home;
    const fs::path work = home / "work";
    fs::create_directories(work);
    const auto at = [&](std::string text) {
      if (const std::size_t field = text.find("{work}"); field != std::string::npos)
        text.replace(field, 6, work.string());
      return text;
    };
    fs::create_directories(home / ".config/vidtrawl");
    if (row.settings)
      WriteFile(home / ".config/vidtrawl/registry.ini",
                "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nDownload Dir=" +
                    (home / "saved").string() + "\nSpeed Limit=900k\nPreferred Quality=240\n");
    auto env = CliEnvironment(home.path());
    env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.server.port());
    std::vector<std::string> args{"-c", "cd \"$0\" && exec \"$@\"", work.string(),
                                  CliBinary().string()};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto result = ChildProcess("/bin/sh", args, env).Wait();
    EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
    for (const auto &[name, body] : row.files)
      EXPECT_EQ(ReadFile(work / name), body) << name;
    for (const std::string &text : row.out)
      EXPECT_NE(result.out.find(at(text)), std::string::npos) << text << " in\n" << result.out;
    for (const std::string &text : row.err) { // once
      const std::size_t first = result.err.find(at(text));
      EXPECT_NE(first, std::string::npos) << text << " in\n" << result.err;
      EXPECT_EQ(result.err.find(at(text), first + 1), std::string::npos) << text;
    }
  }
}

// The list holds 32,767 items: one address more is not added, and the
// user is told; one listed already is no address lost.
TEST(CliFullList, OneAddressBeyondTheCapacityIsToldNotLost) {
  TempDir home, downloads;
  std::string addresses;
  for (int n = 0; n <= 32767; ++n)
    addresses += "ftp://www.example.org/" + std::to_string(n) + "\n";
  addresses += "ftp://www.example.org/5\n";
  WriteFile(home / "urls.txt", addresses);
  const ChildProcess::Result result =
      RunCli({"-q", "--tsv", "-d", downloads.path().string(), "-i", (home / "urls.txt").string()},
             CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 1);
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 32767u);
  EXPECT_EQ(Fields(lines.back())[1], "ftp://www.example.org/32766");
  EXPECT_EQ(Fields(lines.back())[3], "ERROR");
  EXPECT_NE(result.err.find("The download list is full (32767 items): 1 address was not added."),
            std::string::npos)
      << result.err;
}

TEST(CliDemo, ThePageOfEachSiteAndOneUnsupportedAddress) {
  TempDir home;
  // A mapping in the environment does not lead the demo astray.
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:9";
  const auto result = RunCli({"--demo", "--tsv"}, env);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const auto lines = Lines(result.out);
  const std::size_t sites = TheDemoSite().pages.size();
  ASSERT_EQ(lines.size(), sites + 1) << result.out;
  for (std::size_t i = 0; i < sites; ++i)
    EXPECT_EQ(Fields(lines[i])[3], "Complete") << lines[i];
  EXPECT_EQ(lines[sites], std::to_string(sites + 1) + "\t" + TheDemoSite().unsupportedAddress +
                              "\tUn supported link\tERROR\t????");
  EXPECT_NE(result.err.find("[2] Complete youtube-harbour.flv"), std::string::npos) << result.err;
  // Without --dir the files go to a new folder under the temporary folder (TMPDIR: the home).
  int folders = 0;
  for (const auto &entry : fs::directory_iterator(home.path()))
    if (entry.path().filename().string().rfind("vidtrawl-demo-", 0) == 0 && ++folders) {
      EXPECT_EQ(std::distance(fs::directory_iterator(entry.path()), {}),
                static_cast<std::ptrdiff_t>(sites));
      EXPECT_NE(result.err.find("The files are in " + entry.path().string() + "."),
                std::string::npos);
    }
  EXPECT_EQ(folders, 1);
}

} // namespace
} // namespace vidtrawl::testing
