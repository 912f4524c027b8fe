// Pages handed to the site extractor: scripted extractors (a `yt-dlp` first on PATH printing an
// info JSON, as the scripted servers answer HTTP) against servers on loopback, and the real
// program's generic extractor on loopback pages.
#include "base/WholeFile.h"
#include "extractor/ExtractorQuery.h"
#include "extractor/FormatChoice.h"
#include "support/EngineFixture.h"
#include "support/MissingTool.h"
#include "support/StreamFixtures.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

std::string FileText(const fs::path &file) {
  return base::ReadWholeFile(file, 64 << 20).text;
}

class ExtractorTest : public EngineFixture {
protected:
  void SetUp() override {
    extractor = "yt-dlp";
    EngineFixture::SetUp();
    fs::create_directories(dir / "bin");
    path_ = std::getenv("PATH");
    setenv("PATH", ((dir / "bin").string() + ":" + path_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", path_.c_str(), 1);
    EngineFixture::TearDown();
  }
  // The extractor on PATH runs this shell text.
  void Script(const std::string &body) {
    std::ofstream(dir / "bin/next") << "#!/bin/sh\n" << body << "\n";
    fs::permissions(dir / "bin/next", fs::perms::owner_all);
    fs::rename(dir / "bin/next", dir / "bin/yt-dlp");
  }
  // It notes its arguments and prints `json`, HOST there the test server's.
  void Answers(std::string json) {
    for (std::size_t at; (at = json.find("HOST")) != std::string::npos;)
      json.replace(at, 4, "127.0.0.1:" + std::to_string(server.port()));
    std::ofstream(dir / "answer.json") << json;
    // It notes the cookies file it was given, with its mode; and writes its cookie jar back into
    // it, as yt-dlp does.
    const std::string seen = (dir / "seen").string();
    Script("echo \"$@\" > '" + (dir / "args").string() +
           "'; [ \"$3\" = --cookies ] && { cat \"$4\" > '" + seen + "'; stat -c %a \"$4\" >> '" +
           seen + "'; echo $4 >> \"$4\"; }; cat '" + (dir / "answer.json").string() + "'");
  }
  void PlaylistFound(const engine::PlaylistOffer &offer) override { offers.push_back(offer); }
  std::string path_;
  std::vector<engine::PlaylistOffer> offers;
};

// Each way an extractor fails gives the item a reason that names it and says why; a page whose
// own search found a video, and any address under "Known Sites Only", never reach it.
TEST_F(ExtractorTest, EachFailureOfTheExtractorIsTheItemsReason) {
  Serve("/nothing.html", "<html><title>Empty</title><p>no video</p></html>", true, "text/html");
  struct Case {
    const char *script;
    const char *reason; // "": no extractor asked
    const char *address = "http://vimeo.com/1";
    int seconds = 60;
  } cases[] = {
      {"printf 'working\\n\\033[0;31mERROR:\\033[0m Unsupported URL: x\\a\\n\\n' >&2; exit 1",
       "yt-dlp: ERROR: Unsupported URL: x"},
      {"exit 3", "no video found on this page; yt-dlp ended with status 3",
       "http://www.example.com/nothing.html"},
      {"head -c 100000000 /dev/zero", "yt-dlp's answer is larger than 64 MiB"},
      {"echo not json", "yt-dlp's answer is no info JSON"},
      {"exec sleep 30", "yt-dlp gave no answer within 1 s", "http://vimeo.com/1", 1},
      {"echo '{\"title\":\"t\",\"formats\":[{\"url\":\"rtmp://h/v\",\"protocol\":\"rtmp\"}]}'",
       "yt-dlp offers the video only by protocols not supported (rtmp)"},
      {"echo '{\"_type\":\"playlist\",\"entries\":[]}'", "yt-dlp found a playlist of no video"},
      {nullptr, "the site extractor yt-dlp is not installed: install a current yt-dlp"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.reason);
    NewEngine();
    Configure([&](engine::Config &config) { config.extractorSeconds = c.seconds; });
    fs::remove(dir / "bin/yt-dlp");
    if (c.script != nullptr)
      Script(c.script);
    else // not even the system's
      setenv("PATH", (dir / "bin").c_str(), 1);
    engine->Add({c.address});
    EXPECT_EQ(RunPass().failed, 1);
    setenv("PATH", ((dir / "bin").string() + ":" + path_).c_str(), 1);
    EXPECT_EQ(engine::ReasonText(Item(0)).substr(0, std::strlen(c.reason)), c.reason);
  }
  Script("touch '" + (dir / "asked").string() + "'");
  NewEngine();
  Configure([](engine::Config &config) { config.knownSitesOnly = true; });
  engine->Add({"http://vimeo.com/2"});
  EXPECT_EQ(Item(0).phase, engine::Phase::Unsupported);
  RunPass();
  Serve("/video.html", "<video src='/clip.mp4'></video>", true, "text/html");
  Serve("/clip.mp4", "a video file", true, "video/mp4");
  NewEngine();
  engine->Add({"http://www.example.com/video.html"});
  EXPECT_EQ(RunPass().completed, 1);
  EXPECT_FALSE(fs::exists(dir / "asked"));
}

// A hanging extractor ends with the pass's stop: its process is gone when the stop returns.
TEST_F(ExtractorTest, AStopEndsAHangingExtractorAtOnce) {
  Script("echo $$ > '" + (dir / "pid").string() + "'; exec sleep 30");
  engine->Add({"http://youtu.be/x"});
  engine->StartPass();
  ASSERT_TRUE(RunUntil([&] { return !FileText(dir / "pid").empty(); }));
  const pid_t pid = std::stoi(FileText(dir / "pid"));
  engine->RequestStop();
  EXPECT_EQ(Item(0).phase, engine::Phase::Cancelled);
  EXPECT_EQ(kill(pid, 0), -1);
}

// A separate video and audio, the best of each, are joined frame for frame under the title (or
// the user's template of uploader and id), the muxed format of less height passed over; the
// files' requests carry the headers the extractor named, which their server requires, and none
// that a line break in it would split in two. The extractor is asked with what a browser gave the
// item: its cookies with the user's in a private file, its user agent and referer.
TEST_F(ExtractorTest, TheChosenFormatsAreFetchedWithTheirHeadersAndJoined) {
  const fs::path streams = StreamFixtureDir(FindStreamFixture("dash-ondemand"));
  for (const char *name : {"video.mp4", "en.mp4"})
    ServeRequests(std::string("/") + name, [=, body = FileText(streams / name)](
                                               const std::string &request) {
      bool allowed = true;
      for (const char *header : {"\r\nReferer: http://page.example/w\r\n",
                                 "\r\nUser-Agent: Scripted/1\r\n", "\r\nX-Token: t1\r\n"})
        allowed = allowed && request.find(header) != std::string::npos;
      allowed = allowed && request.find("Injected") == std::string::npos;
      return RawServer::Reply{RawResponse(allowed ? "HTTP/1.1 200 OK" : "HTTP/1.1 403 Forbidden",
                                          "Content-Length: " + std::to_string(body.size()) + "\r\n",
                                          allowed ? body : "")};
    });
  Answers(R"({"id":"abc","title":"Joined clip","uploader":"Tester",
    "http_headers":{"Referer":"http://page.example/w","User-Agent":"Scripted/1","X-Token":"t1",
      "X-Page-Text":"1\r\nInjected: 1"},
    "formats":[
      {"format_id":"low","url":"http://HOST/low.mp4","protocol":"http","ext":"mp4","height":90},
      {"format_id":"v","url":"http://HOST/video.mp4","protocol":"https","ext":"mp4",
       "acodec":"none","vcodec":"avc1","width":320,"height":180},
      {"format_id":"a","url":"http://HOST/en.mp4","protocol":"http","vcodec":"none","tbr":64}]})");
  NewEngine(1);
  std::ofstream(dir / "cookies.txt") << "# Netscape HTTP Cookie File\n";
  Configure([&](engine::Config &config) { config.cookies = (dir / "cookies.txt").string(); });
  engine->Add({"http://vimeo.com/3", "http://vimeo.com/4"});
  engine->SetNameTemplate(engine->SerialAt(1), "{uploader} {id}.{ext}");
  const std::string cookie = ".vimeo.com\tTRUE\t/\tFALSE\t0\tsid\tsecret";
  engine->SetRequest(engine->SerialAt(1), {"http://page.example/list", "Browser/2", {cookie}});
  ASSERT_EQ(RunPass().completed, 2) << engine::ReasonText(Item(0));
  // The user's cookies reach it as a copy of its own, which goes with its end.
  const std::string args = FileText(dir / "args");
  const std::string head = "--dump-single-json --no-warnings --cookies ";
  const std::string tail =
      " --user-agent Browser/2 --referer http://page.example/list -- http://vimeo.com/4\n";
  ASSERT_EQ(args.substr(0, head.size()), head);
  ASSERT_EQ(args.substr(args.size() - tail.size()), tail);
  const std::string copy = args.substr(head.size(), args.size() - head.size() - tail.size());
  EXPECT_NE(copy, (dir / "cookies.txt").string());
  EXPECT_FALSE(fs::exists(copy));
  EXPECT_EQ(FileText(dir / "seen"), "# Netscape HTTP Cookie File\n" + cookie + "\n600\n");
  EXPECT_EQ(FileText(dir / "cookies.txt"), "# Netscape HTTP Cookie File\n");
  for (const char *name : {"Joined clip.mp4", "Tester abc.mp4"}) {
    EXPECT_EQ(VideoFrameHashes(Saved(name)), LavfiFrameHashes(kSmallVideo)) << name;
    EXPECT_EQ(AudioFrameHashes(Saved(name)), AudioFrameHashes(streams / "en.mp4")) << name;
  }
}

// A format of fragments is fetched from its base address, fragment by fragment; a playlist's
// other videos become items of their own, are left with --no-playlist, or are offered to the
// front end while the page's own is downloaded.
TEST_F(ExtractorTest, FragmentsAndPlaylistEntries) {
  const fs::path dash = StreamFixtureDir(FindStreamFixture("dash"));
  std::string fragments;
  for (const fs::directory_entry &file : fs::directory_iterator(dash))
    Serve("/dash/" + file.path().filename().string(), FileText(file.path()));
  for (int n = 1; fs::exists(dash / ("chunk-stream0-0000" + std::to_string(n) + ".m4s")); ++n)
    fragments += ",{\"path\":\"chunk-stream0-0000" + std::to_string(n) + ".m4s\"}";
  Serve("/second.mp4", "the second video");
  Answers(R"({"_type":"playlist","title":"Two","entries":[{"title":"First","formats":[
    {"protocol":"http_dash_segments","fragment_base_url":"http://HOST/dash/","vcodec":"avc1",
     "acodec":"none","fragments":[{"path":"init-stream0.m4s"})" +
          fragments + R"(]}]},{"url":"http://HOST/second.mp4","protocol":"http"}]})");
  using Playlists = engine::Config::Playlists;
  for (const Playlists playlists : {Playlists::AddAll, Playlists::PageOnly, Playlists::Ask}) {
    const bool whole = playlists == Playlists::AddAll;
    NewEngine();
    offers.clear();
    Configure([&](engine::Config &config) { config.extractorPlaylists = playlists; });
    engine->Add({"http://dai.ly/x1"});
    EXPECT_EQ(RunPass().completed, whole ? 2 : 1) << engine::ReasonText(Item(0));
    EXPECT_EQ(VideoFrameHashes(Saved("First.mp4")), LavfiFrameHashes(kSmallVideo));
    EXPECT_EQ(engine->Count(), whole ? 2u : 1u);
    EXPECT_EQ(FileText(dir / "args").find("--no-playlist") != std::string::npos,
              playlists == Playlists::PageOnly);
    EXPECT_EQ(offers.size(), playlists == Playlists::Ask ? 1u : 0u);
  }
}

// A resumed item asks the extractor again: a new signed address of the same bytes (the strong
// validator noted with them) is asked for the rest only; one of other bytes starts the file over.
TEST_F(ExtractorTest, AResumeAsksAgainAndJoinsOnlyTheSameBytes) {
  const std::string body = Pattern(60000, 6), other = Pattern(50000, 7);
  ServeHeld("/clip.mp4", body, 20000); // its gate stays shut: each first run stops there
  Serve("/new/clip.mp4", other);
  const auto answer = [&](const std::string &path) {
    Answers(R"({"id":"c","title":"Clip","formats":[{"format_id":"f","url":"http://HOST)" + path +
            R"(","protocol":"https","ext":"mp4"}]})");
  };
  for (const auto &[path, bytes] :
       {std::pair{"/clip.mp4?sig=2", &body}, {"/new/clip.mp4?s=3", &other}}) {
    SCOPED_TRACE(path);
    NewEngine();
    answer("/clip.mp4?sig=1");
    engine->Add({"http://vimeo.com/6"});
    engine->StartPass();
    // (All 20,000: the bytes sent at once can come over two turns of the loop.)
    ASSERT_TRUE(RunUntil(
        [&] { return Item(0).phase == engine::Phase::Receiving && Item(0).received >= 20000; }));
    engine->Pause({Item(0).serial});
    RunUntil([&] { return !engine->Downloading(); });
    answer(path);
    engine->Resume({Item(0).serial});
    EXPECT_EQ(RunPass().completed, 1) << engine::ReasonText(Item(0));
    EXPECT_TRUE(FileText(Saved("Clip.mp4")) == *bytes);
    const std::string last = server.Requests().back();
    EXPECT_EQ(last.rfind(std::string("GET ") + path, 0), 0u) << last;
    EXPECT_TRUE(bytes != &body || last.find("\r\nRange: bytes=20000-\r\n") != std::string::npos);
  }
}

// The real program's generic extractor on loopback pages: a page's <video>, its HLS stream, and a
// page of two videos as a playlist, read as Vidtrawl reads them.
TEST_F(ExtractorTest, TheRealProgramsAnswersAreRead) {
  fs::remove(dir / "bin/yt-dlp");
  const extractor::ExtractorSettings settings;
  std::optional<std::optional<std::string>> version;
  extractor::ExtractorVersion asked(loop, settings, [&](auto v) { version = v; });
  ASSERT_TRUE(RunUntil([&] { return version.has_value(); }));
  VIDTRAWL_NEEDS_TOOL(version->has_value(), "yt-dlp");
  const std::string host = "http://127.0.0.1:" + std::to_string(server.port());
  Serve("/one.html", "<title>One</title><video src='/a.mp4'></video>", true, "text/html");
  Serve("/hls.html",
        R"(<title>Live</title><video><source src="/p.m3u8" type="application/x-mpegURL"></video>)",
        true, "text/html");
  Serve("/p.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\ns.ts\n#EXT-X-ENDLIST\n", true,
        "application/vnd.apple.mpegurl");
  Serve("/two.html", "<title>Two</title><video src='/a.mp4'></video><video src='/b.mp4'></video>",
        true, "text/html");
  const struct {
    const char *page;
    extractor::FormatTransport transport;
    const char *address; // the chosen format's, or the playlist's second entry's
  } cases[] = {{"/one.html", extractor::FormatTransport::File, "/a.mp4"},
               {"/hls.html", extractor::FormatTransport::Hls, "/p.m3u8"},
               {"/two.html", extractor::FormatTransport::File, "/b.mp4"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.page);
    std::optional<base::Outcome<extractor::ExtractorAnswer>> answer;
    extractor::ExtractorQuery query(loop, settings, {}, nullptr, host + c.page, {},
                                    [&](auto outcome) { answer = std::move(outcome); });
    ASSERT_TRUE(RunUntil([&] { return answer.has_value(); }));
    ASSERT_TRUE(answer->Done()) << answer->Failure().detail;
    const extractor::ExtractorAnswer &got = answer->Value();
    const auto choice = extractor::ChooseFormats(got.playlist ? got.entries.at(0) : got.video,
                                                 manifests::Quality{});
    ASSERT_TRUE(choice);
    EXPECT_EQ(extractor::TransportOf(choice->video), c.transport);
    EXPECT_EQ(got.playlist ? got.entryAddresses.at(1) : choice->video.address, host + c.address);
  }
}

} // namespace
} // namespace vidtrawl::testing
