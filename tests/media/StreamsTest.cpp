// Streams made by ffmpeg and served by nginx, downloaded by the engine as any item is: the
// playlist or manifest read, a quality chosen, the fragments fetched (their byte ranges only,
// decrypted where keyed) and joined into one file whose decoded frames must be the source's.
#include "manifests/HlsMediaPlaylist.h"
#include "manifests/StreamFault.h"
#include "media/Aes128Cbc.h"
#include "media/FragmentStore.h"
#include "media/Remuxer.h"
#include "support/EngineFixture.h"
#include "support/Nginx.h"
#include "support/StreamFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>
#include <tuple>

namespace vidtrawl::media {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

fs::path FixtureDir(const char *name) {
  return testing::StreamFixtureDir(testing::FindStreamFixture(name));
}

// The engine, and nginx serving the fixtures (each under /NAME/) as a site would, types and all.
class StreamsTest : public testing::EngineFixture {
protected:
  void ServeFixtures(const std::string &directives = {}) {
    for (const char *name :
         {"hls-variants", "hls-fmp4", "hls-aes", "hls-audio", "hls-byterange", "hls-discontinuity",
          "hls-live", "hls-hevc", "hls-splice", "hls-splice-mp3", "dash", "dash-single",
          "dash-webm", "dash-ondemand"}) {
      fs::create_directories(dir / "nginx" / "www");
      fs::create_directory_symlink(FixtureDir(name), dir / "nginx" / "www" / name);
    }
    // A playlist and a manifest that come compressed, asked for or not.
    const fs::path www = dir / "nginx" / "www";
    fs::copy(FixtureDir("hls-fmp4"), www / "gz-hls");
    fs::copy(FixtureDir("dash"), www / "gz-dash");
    const std::string gzip = "cd '" + www.string() + "' && gzip gz-hls/*.m3u8 gz-dash/*.mpd";
    ASSERT_EQ(std::system(gzip.c_str()), 0);
    nginx = std::make_unique<testing::Nginx>(
        dir / "nginx",
        "types { application/vnd.apple.mpegurl m3u8; video/mp2t ts; application/dash+xml mpd; "
        "video/mp4 mp4 m4s; video/webm webm; } " +
            directives +
            // A page whose video's address names no playlist: its answer's type says it is one.
            " location = /watch/harbour { default_type text/html; return 200 '<title>Harbour"
            "</title><video controls src=\"/api/stream?id=7\"></video>'; }"
            " location = /api/stream { return 302 /hls-fmp4/index.m3u8; }"
            " location ~ ^/gz- { gzip_static always; }");
  }
  std::string Address(const std::string &fixture) const {
    return fixture.starts_with("/")
               ? nginx->Url(fixture)
               : nginx->Url("/" + fixture + "/" + testing::FindStreamFixture(fixture).entry);
  }
  // The item's file, once the pass completed it.
  fs::path Downloaded(std::size_t index) const { return Saved(*Item(index).fileName); }

  std::unique_ptr<testing::Nginx> nginx;
};

TEST_F(StreamsTest, EachKindBecomesOneFileOfTheSourcesFrames) {
  using testing::kFirstPiece, testing::kLargeVideo, testing::kSecondPiece, testing::kSmallVideo;
  struct Case {
    const char *fixture; // or a page's path
    const char *quality;
    std::vector<const char *> sources; // the video, piece by piece
    const char *audio;                 // its codec in the file
    const char *name;
    const char *tag = "avc1"; // the video's in the file
  };
  const Case cases[] = {
      {"hls-variants", "best", {kLargeVideo}, "aac", "master.mp4"},
      {"hls-variants", "240p", {kSmallVideo}, "aac", "master.mp4"},
      {"hls-fmp4", "best", {kSmallVideo}, "aac", "index.mp4"},
      {"hls-aes", "best", {kSmallVideo}, "aac", "index.mp4"},
      {"hls-audio", "best", {kSmallVideo}, "aac", "master.mp4"},
      {"hls-byterange", "best", {kSmallVideo}, "aac", "index.mp4"},
      {"hls-discontinuity", "best", {kFirstPiece, kSecondPiece}, "aac", "index.mp4"},
      {"dash", "best", {kLargeVideo}, "aac", "manifest.mp4"},
      {"dash", "worst", {kSmallVideo}, "aac", "manifest.mp4"},
      {"dash-single", "720", {kSmallVideo}, "aac", "manifest.mp4"},
      {"dash-webm", "best", {kSmallVideo}, "opus", "manifest.mkv", "[0][0][0][0]"},
      {"hls-hevc", "best", {kSmallVideo}, "aac", "index.mp4", "hvc1"},
      {"/watch/harbour", "best", {kSmallVideo}, "aac", "Harbour.mp4"},
      {"/gz-hls/index.m3u8", "best", {kSmallVideo}, "aac", "index.mp4"},
      {"/gz-dash/manifest.mpd", "best", {kLargeVideo}, "aac", "manifest.mp4"},
  };
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  ServeFixtures();
  for (const Case &row : cases) {
    SCOPED_TRACE(std::string(row.fixture) + " " + row.quality);
    NewEngine();
    ASSERT_TRUE(Configure([&](engine::Config &c) { c.preferredQuality = row.quality; }));
    engine->Add({Address(row.fixture)});
    EXPECT_EQ(RunPass().completed, 1) << Items();
    ASSERT_EQ(Item(0).fileName, row.name);
    std::vector<std::string> frames;
    for (const char *source : row.sources)
      for (std::string &frame : testing::LavfiFrameHashes(source))
        frames.push_back(std::move(frame));
    EXPECT_EQ(testing::VideoFrameHashes(Downloaded(0)), frames);
    // "CODEC,TAG" of the video and the audio.
    const std::vector<std::string> streams =
        testing::ProbeStreams(Downloaded(0), "-show_entries stream=codec_name,codec_tag_string");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_EQ(streams[0].substr(streams[0].find(',') + 1), row.tag);
    EXPECT_EQ(streams[1].substr(0, streams[1].find(',')), row.audio);
    EXPECT_EQ(Item(0).size, fs::file_size(Downloaded(0)));
    // Nothing but the file is left: neither its partial file nor its fragments.
    EXPECT_EQ(std::distance(fs::directory_iterator(engine->DownloadDir()), {}), 1);
  }

  // The last one, added again, is found in the folder as it was left.
  const std::string name = *Item(0).fileName;
  engine->Remove({Item(0).serial});
  engine->Add({Address(cases[std::size(cases) - 1].fixture)});
  EXPECT_EQ(RunPass().completed, 1);
  EXPECT_TRUE(Item(0).alreadyThere) << Items();
  EXPECT_EQ(Item(0).fileName, name);

  // A name the user gave keeps its extension, unless it says another container than the file's.
  NewEngine();
  engine->Add({Address("dash-webm")});
  engine->Rename(Item(0).serial, "clip.mp4");
  EXPECT_EQ(RunPass().completed, 1) << Items();
  EXPECT_EQ(Item(0).fileName, "clip.mkv");

  // A live stream is refused with its reason, and leaves nothing behind.
  NewEngine();
  engine->Add({Address("hls-live")});
  EXPECT_EQ(RunPass().failed, 1);
  EXPECT_EQ(engine::ReasonText(Item(0)), manifests::kLiveStream);
  EXPECT_TRUE(fs::is_empty(engine->DownloadDir()));
}

// A stopped stream keeps what arrived: its next download fetches no whole fragment again, and
// of a fragment the stop cut (an HLS segment, a DASH representation's one file) only the rest.
// A beginning noted with every byte (a stop just as its end came) is asked for whole: a range
// after its last byte would be refused.
TEST_F(StreamsTest, AStoppedStreamGoesOnFromWhereItStopped) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  ServeFixtures("limit_rate 100k;");
  for (const auto &[fixture, name, source, everyByte] :
       {std::tuple{"hls-variants", "master.mp4", testing::kLargeVideo, false},
        {"dash-ondemand", "manifest.mp4", testing::kSmallVideo, false},
        {"hls-variants", "master.mp4", testing::kLargeVideo, true}}) {
    SCOPED_TRACE(std::string(fixture) + (everyByte ? ", every byte" : ""));
    NewEngine();
    Configure([&](engine::Config &c) { c.fragments = 2; });
    engine->Add({Address(fixture)});
    engine->StartPass();
    ASSERT_TRUE(RunUntil([&] { return Item(0).received >= 60000; }));
    engine->RequestStop();
    ASSERT_EQ(Item(0).phase, engine::Phase::Cancelled);
    const fs::path store = Saved(name + std::string(".segments") + engine::kPartialSuffix);
    EXPECT_TRUE(fs::exists(store));
    if (everyByte) { // "c TRACK PART OFFSET LENGTH TAKEN VALIDATOR": TAKEN becomes LENGTH
      const std::regex cut("^(c \\S+ \\S+ \\S+ (\\d+)) \\d+ ");
      std::istringstream lines(ReadFile(store.string() + ".fragments"));
      std::string notes;
      int cuts = 0;
      for (std::string line; std::getline(lines, line); notes += line + "\n")
        if (std::regex_search(line, cut)) {
          line = std::regex_replace(line, cut, "$1 $2 ", std::regex_constants::format_first_only);
          ++cuts;
        }
      ASSERT_GT(cuts, 0) << notes;
      testing::WriteFile(store.string() + ".fragments", notes);
    }
    EXPECT_EQ(RunPass().completed, 1) << Items();
    EXPECT_EQ(testing::VideoFrameHashes(Downloaded(0)), testing::LavfiFrameHashes(source));
    EXPECT_FALSE(fs::exists(store));
    EXPECT_FALSE(fs::exists(store.string() + ".fragments"));
    if (everyByte)
      continue; // (the log holds the first row's answers too)

    // Each file was sent whole once, or cut and then its rest from where the bytes ended.
    std::map<std::string, std::vector<std::pair<std::uint64_t, std::uint64_t>>> sent;
    const std::string log = nginx->AccessLog();
    const std::regex line("\"GET /" + std::string(fixture) +
                          "/(\\S+\\.(?:ts|mp4)) HTTP/1.1\" \\d+ (\\d+) \"(?:bytes=(\\d+)-)?");
    for (std::sregex_iterator at(log.begin(), log.end(), line), end; at != end; ++at)
      sent[(*at)[1]].emplace_back((*at)[3].matched ? std::stoull((*at)[3]) : 0,
                                  std::stoull((*at)[2]));
    int rests = 0;
    for (const auto &[file, answers] : sent) {
      const auto [from, bytes] = answers.back(); // the rest, at most the bytes sent before it
      rests += answers.size() == 2 && from > 0 && from <= answers[0].second;
      EXPECT_EQ(answers.size() == 1 ? bytes : from + bytes,
                fs::file_size(FixtureDir(fixture) / file))
          << file << " in " << answers.size() << " answers";
    }
    EXPECT_GT(rests, 0) << log;
  }
}

// A manifest's clear sets are chosen as if the protected one were not there, and its audio by
// its role, then the user's language, then its bandwidth: the language stays under any quality.
TEST_F(StreamsTest, TheAudioFollowsTheRoleAndTheUsersLanguage) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  ServeFixtures();
  ::unsetenv("LANGUAGE");
  // de.mp4 is a tone of 440 Hz, en.mp4 of 660 Hz.
  const std::tuple<const char *, const char *, double, const char *> cases[] = {
      {"en_GB.UTF-8", "best", 660, "eng"},
      {"en_GB.UTF-8", "worst", 660, "eng"},
      {"de_DE.UTF-8", "best", 440, "deu"},
      {"C", "worst", 440, "deu"},
  };
  for (const auto &[locale, quality, hertz, language] : cases) {
    SCOPED_TRACE(std::string(locale) + " " + quality);
    ::setenv("LC_ALL", locale, 1);
    NewEngine();
    ASSERT_TRUE(Configure([&](engine::Config &c) { c.preferredQuality = quality; }));
    engine->Add({Address("dash-ondemand")});
    // The protected video's file is not there: only the clear one's download completes.
    ASSERT_EQ(RunPass().completed, 1) << Items();
    EXPECT_NEAR(testing::ToneHertz(Downloaded(0), 1, 2), hertz, 5);
    EXPECT_EQ(testing::ProbeStreams(Downloaded(0), "-show_entries stream_tags=language"),
              (std::vector<std::string>{"und", language}));
  }
  ::unsetenv("LC_ALL");
}

// A splice into audio the file's track cannot carry (a 44.1 kHz advertisement in 48 kHz AAC) is
// re-encoded to the track's rate and plays at its pitch; other audio that changes is refused
// with why. The pieces join without a gap: each frame follows the one before within its length.
TEST_F(StreamsTest, ASplicePlaysAtItsPitchWithoutAGap) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  ServeFixtures();
  engine->Add({Address("hls-splice"), Address("hls-splice-mp3")});
  RunPass();
  ASSERT_EQ(engine::StatusText(Item(0)), "Complete") << Items();
  const fs::path file = Downloaded(0);
  EXPECT_EQ(testing::ProbeStreams(file, "-select_streams a -show_entries stream=sample_rate"),
            std::vector<std::string>{"48000"});
  for (const double from : {0.5, 2.5})
    EXPECT_NEAR(testing::ToneHertz(file, from, 1), 1000, 10) << "from " << from << " s";
  for (const auto &[select, step, count] :
       {std::tuple{"v -show_entries frame=pts_time", 1 / 30.0, 120},
        {"a -show_entries packet=pts_time", 1024 / 48000.0, 187}}) {
    std::vector<double> times;
    for (const std::string &time :
         testing::ProbeStreams(file, "-select_streams " + std::string(select)))
      if (!time.empty())
        times.push_back(std::stod(time));
    ASSERT_GE(static_cast<int>(times.size()), count) << select;
    std::adjacent_difference(times.begin(), times.end(), times.begin());
    EXPECT_LT(*std::max_element(times.begin() + 1, times.end()), step * 1.5) << select;
  }
  EXPECT_EQ(engine::ReasonText(Item(1)), "the audio changes at a splice from 48000 Hz in 1 "
                                         "channels to 44100 Hz in 1 channels, which cannot be "
                                         "joined");
}

// Hostile and failing answers to a stream's requests: each ends with its reason, or with the
// file when a try again brings it.
TEST_F(StreamsTest, EachFailingAnswerSaysWhy) {
  const fs::path source = FixtureDir("hls-variants");
  const std::string playlist = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXT-X-PLAYLIST-TYPE:VOD\n";
  const auto segments = [&](const std::string &key, const std::string &second = {}) {
    std::string text = playlist + key;
    for (int i = 0; i < 4; ++i)
      text += "#EXTINF:1,\n" + (i == 1 ? second : "") + std::to_string(i) + ".ts\n";
    return text + "#EXT-X-ENDLIST\n";
  };
  struct Case {
    const char *what;
    std::string playlist;
    std::function<testing::RawServer::Reply(int request)>
        second; // how 1.ts is answered, try by try
    int retries;
    const char *status;
    std::string reason;
    bool gap = false; // 1.ts is left out of the file
  };
  using Reply = testing::RawServer::Reply;
  const std::string whole = ReadFile(source / "v0_1.ts"), size = std::to_string(whole.size());
  // 1.ts as the part of a larger file at 1000.
  const std::string range = "#EXT-X-BYTERANGE:" + size + "@1000\n";
  const std::string padded = testing::Pattern(1000) + whole + testing::Pattern(500);
  const std::string master = "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1,AUDIO=\"a\"\n";
  const auto sent = [](const std::string &status, const std::string &body,
                       const std::string &headers = {}) {
    return Reply{testing::RawResponse(
        status, headers + "Content-Length: " + std::to_string(body.size()) + "\r\n", body)};
  };
  const Case cases[] = {
      {"a login page", segments(""),
       [&](int) { return sent("HTTP/1.1 200 OK", "<html>Sign in", "Content-Type: text/html\r\n"); },
       3, "ERROR",
       "the server sent a web page, not a video (segment http://cdn.example.net/s/1.ts)"},
      {"no such segment", segments(""), [&](int) { return sent("HTTP/1.1 404 Not Found", ""); }, 3,
       "ERROR", "the server answered 404 (segment http://cdn.example.net/s/1.ts)"},
      {"cut short, then whole", segments(""),
       [&](int request) {
         Reply reply = sent("HTTP/1.1 200 OK", whole);
         if (request == 0)
           reply.bytes.resize(reply.bytes.size() - 1000);
         return reply;
       },
       1, "Complete", ""},
      {"busy, then whole", segments(""),
       [&](int request) {
         return request < 2 ? sent("HTTP/1.1 503 Busy", "", "Retry-After: 0\r\n")
                            : sent("HTTP/1.1 200 OK", whole);
       },
       2, "Complete", ""},
      {"a gap", segments("", "#EXT-X-GAP\n"),
       [&](int) { return sent("HTTP/1.1 404 Not Found", ""); }, 0, "Complete", "", true},
      {"busy for longer than its tries", segments(""),
       [&](int) { return sent("HTTP/1.1 503 Busy", ""); }, 1, "ERROR",
       "the server answered 503 (segment http://cdn.example.net/s/1.ts)"},
      {"a key that is no key", segments("#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n"),
       [&](int) { return sent("HTTP/1.1 200 OK", whole); }, 3, "ERROR",
       "the key at http://cdn.example.net/s/k is not 16 bytes"},
      {"a key not there", segments("#EXT-X-KEY:METHOD=AES-128,URI=\"gone\"\n"), nullptr, 3, "ERROR",
       "the server answered 404 (key http://cdn.example.net/s/gone)"},
      {"a key that does not open them",
       playlist + "#EXT-X-KEY:METHOD=AES-128,URI=\"k16\"\n#EXTINF:1,\n1.ts\n#EXT-X-ENDLIST\n",
       [&](int) { return sent("HTTP/1.1 200 OK", ReadFile(FixtureDir("hls-aes") / "index7.ts")); },
       3, "ERROR", "a segment could not be decrypted: the key does not fit it, or it is damaged"},
      {"a range answered with the whole file", segments("", range),
       [&](int) { return sent("HTTP/1.1 200 OK", padded); }, 0, "Complete", ""},
      {"a range answered with another part", segments("", range),
       [&](int) {
         return sent("HTTP/1.1 206 Partial Content", whole,
                     "Content-Range: bytes 0-" + std::to_string(whole.size() - 1) + "/" +
                         std::to_string(padded.size()) + "\r\n");
       },
       3, "ERROR",
       "the server sent another part of a segment than was asked for (segment "
       "http://cdn.example.net/s/1.ts)"},
      {"a range cut short", segments("", range),
       [&](int) {
         return Reply{testing::RawResponse("HTTP/1.1 206 Partial Content",
                                           "Content-Range: bytes 1000-" +
                                               std::to_string(999 + whole.size()) + "/*\r\n",
                                           whole.substr(0, 4000))};
       },
       0, "ERROR",
       "a segment ended after 4000 of its " + size +
           " bytes (segment http://cdn.example.net/s/1.ts)"},
      {"segments that are no media", playlist + "#EXTINF:1,\n1.ts\n#EXT-X-ENDLIST\n",
       [&](int) { return sent("HTTP/1.1 200 OK", testing::Pattern(100000)); }, 0, "ERROR",
       "the received video cannot be read (Invalid data found when processing input)"},
      {"no playlist", "<html>Not here</html>", nullptr, 3, "ERROR",
       "the address gives no HLS playlist"},
      {"a variant not there", master + "gone.m3u8\n", nullptr, 0, "ERROR",
       "the server answered 404 (variant playlist http://cdn.example.net/s/gone.m3u8)"},
      {"a variant that is no playlist", master + "k\n", nullptr, 0, "ERROR",
       "the address gives no HLS playlist"},
      {"a variant's audio not there",
       "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"x\",DEFAULT=YES,URI=\"gone\"\n" +
           master + "v.m3u8\n",
       nullptr, 0, "ERROR",
       "the server answered 404 (audio playlist http://cdn.example.net/s/gone)"},
  };
  const std::vector<std::string> frames = testing::LavfiFrameHashes(testing::kSmallVideo);
  for (const Case &row : cases) {
    SCOPED_TRACE(row.what);
    NewEngine();
    Configure([&](engine::Config &c) { c.retries = row.retries; });
    Serve("/s/index.m3u8", row.playlist);
    Serve("/s/k", "fifteen bytes!!");
    Serve("/s/k16", "fedcba9876543210");
    Serve("/s/v.m3u8", segments(""));
    for (int i : {0, 2, 3})
      Serve("/s/" + std::to_string(i) + ".ts",
            ReadFile(source / ("v0_" + std::to_string(i) + ".ts")));
    auto tries = std::make_shared<std::atomic<int>>(0);
    ServeRequests("/s/1.ts",
                  [&, tries](const std::string &) { return row.second(tries->fetch_add(1)); });
    engine->Add({"http://cdn.example.net/s/index.m3u8"});
    RunPass();
    EXPECT_EQ(engine::StatusText(Item(0)), row.status) << Items();
    EXPECT_EQ(engine::ReasonText(Item(0)), row.reason);
    std::error_code none; // a file is there complete, with the source's frames, or none is
    for (const fs::directory_entry &entry : fs::directory_iterator(engine->DownloadDir(), none))
      if (entry.path().string().find(engine::kPartialSuffix) == std::string::npos) {
        EXPECT_STREQ(row.status, "Complete") << entry.path();
        std::vector<std::string> expected = frames;
        if (row.gap)
          expected.erase(expected.begin() + 10, expected.begin() + 20);
        EXPECT_EQ(testing::VideoFrameHashes(entry.path()), expected);
      }
  }
}

// A disk that takes no more fails a stream with why; the fragments whole by then are kept, and
// trying again fetches only the others.
TEST_F(StreamsTest, AFullDiskKeepsTheFragmentsTakenBefore) {
  const fs::path source = FixtureDir("hls-variants");
  Serve("/s/v0.m3u8", ReadFile(source / "v0.m3u8"));
  std::uint64_t two = 0;
  for (int i = 0; i < 4; ++i) {
    const std::string name = "v0_" + std::to_string(i) + ".ts", body = ReadFile(source / name);
    two += i < 2 ? body.size() : 0;
    Serve("/s/" + name, body);
  }
  const auto segmentRequests = [&] {
    return std::ranges::count_if(server.Requests(), [](const std::string &request) {
      return request.find(".ts HTTP/") != std::string::npos;
    });
  };
  Configure([&](engine::Config &c) { c.fragments = 1; });
  engine->Add({"http://cdn.example.net/s/v0.m3u8"});
  testing::WithFileSizeLimit(two + 1000, [&] { RunPass(); });
  EXPECT_EQ(engine::ReasonText(Item(0)), "cannot write " + Saved("v0.mp4.segments").string() +
                                             engine::kPartialSuffix + ": File too large");
  // The third fragment's bytes are refused; the fourth may be asked for before that is known.
  const auto first = segmentRequests();
  EXPECT_GE(first, 3);
  EXPECT_LE(first, 4);
  engine->Retry({Item(0).serial});
  EXPECT_EQ(RunPass().completed, 1) << Items();
  EXPECT_EQ(segmentRequests() - first, 2); // only the two that are not whole
  EXPECT_EQ(testing::VideoFrameHashes(Downloaded(0)),
            testing::LavfiFrameHashes(testing::kSmallVideo));
}

// A store keeps which fragment lies where, in the stream's order whatever order they came in,
// and how far one cut short came; a later run takes them up (after a kill too:
// CliStreams.AStreamStoppedHalfWayFetchesNoStoredFragmentAgain), and not those of another plan,
// nor notes that are damaged.
TEST(Streams, AStoreKnowsWhereEachFragmentLies) {
  using Track = FragmentStore::Track;
  testing::TempDir dir;
  const std::string target = (dir / "clip.mp4").string(), source = "http://cdn.example.net/a.m3u8";
  const std::string notes = target + ".segments" + net::PartialFile::kSuffix + ".fragments";
  const auto open = [&](const std::string &plan) {
    return FragmentStore::Open(target, source, plan, {4, 4});
  };
  {
    base::Outcome<FragmentStore> store = open("plan 1");
    // Parts 2, 0 and 1 of the video arrive in that order, 3 and 0 of the audio; 3 is cut.
    for (const auto &[track, part, text] : {std::tuple{Track::Video, 2, "cc"},
                                            {Track::Video, 0, "a"},
                                            {Track::Audio, 3, "Z"},
                                            {Track::Video, 1, "bbb"},
                                            {Track::Audio, 0, "W"},
                                            {Track::Video, 3, "dd"}}) {
      const bool cut = track == Track::Video && part == 3;
      const std::uint64_t at = store.Value().Reserve(std::strlen(text) + cut * 2);
      store.Value().Write(at, text, std::strlen(text));
      if (cut)
        store.Value().NoteCut(track, 3, {at, 4, 2, "\"e 1\""});
      else
        store.Value().Stored(track, static_cast<std::size_t>(part), at, std::strlen(text));
    }
  }
  const auto has = [&](base::Outcome<FragmentStore> &store) {
    std::string parts;
    for (Track track : {Track::Video, Track::Audio})
      for (std::size_t part = 0; part < 4; ++part)
        parts += store.Value().Has(track, part) ? '1' : '0';
    return parts;
  };
  {
    base::Outcome<FragmentStore> store = open("plan 1");
    ASSERT_TRUE(store.Done());
    EXPECT_EQ(has(store), "11101001");
    EXPECT_EQ(store.Value().Source(Track::Video, 3).spans,
              (std::vector<FileSpan>{{2, 1}, {4, 3}, {0, 2}}));
    EXPECT_EQ(store.Value().Bytes(), 8u);
    EXPECT_EQ(store.Value().CutShort(Track::Video, 3), (FragmentStore::Cut{8, 4, 2, "\"e 1\""}));
    EXPECT_EQ(store.Value().Reserve(1), 12u); // after the cut's room
  }
  {
    base::Outcome<FragmentStore> other = open("plan 2");
    EXPECT_EQ(has(other), "00000000");
  } // the file emptied for the new plan, and gone with its notes
  EXPECT_FALSE(fs::exists(target + ".segments" + net::PartialFile::kSuffix));
  EXPECT_FALSE(fs::exists(notes));

  // Lines of no form, outside the file, over parts noted before or of parts the plan has not,
  // and a line a kill cut off, are left out; the rest holds.
  {
    base::Outcome<FragmentStore> store = open("plan 3");
    ASSERT_TRUE(store.Value().Write(0, "0123456789", 10));
  }
  std::ofstream(notes, std::ios::app)
      << "s v 0 0 4\ns v 0 4 2\ns a 1 8 3\nx v 2 0 1\ns v 4 0 1\n"
         "s a 2 9 1\ns v 99999999999999999999 0 1\nc a 3 0 4 5 x\ns v 7\n"
         "s v 3 0 1";
  {
    base::Outcome<FragmentStore> store = open("plan 3");
    EXPECT_EQ(has(store), "10000010");
    EXPECT_FALSE(store.Value().CutShort(Track::Audio, 3));
    store.Value().Stored(Track::Video, 1, 0, 1);
  }
  EXPECT_EQ(has(*std::make_unique<base::Outcome<FragmentStore>>(open("plan 3"))), "11000010");
}

// A separate audio track is joined whole beside the video whether it ends first or last, and
// the file is MP4 only when every codec in it can be.
TEST(Streams, TracksOfDifferentLengthsAreJoinedWhole) {
  // Of hls-audio's four video parts (10 frames each) so many; the audio's fixture and its files.
  const std::tuple<std::size_t, const char *, std::vector<const char *>, Container> cases[] = {
      {4, "hls-audio", {"p10.ts", "p11.ts"}, Container::Mp4},
      {2, "hls-audio", {"p10.ts", "p11.ts", "p12.ts", "p13.ts", "p14.ts"}, Container::Mp4},
      {4,
       "dash-webm",
       {"init-stream1.webm", "chunk-stream1-00001.webm", "chunk-stream1-00002.webm"},
       Container::Matroska},
  };
  testing::TempDir dir;
  const std::vector<std::string> frames = testing::LavfiFrameHashes(testing::kSmallVideo);
  for (const auto &[videoParts, audioFixture, audioParts, container] : cases) {
    SCOPED_TRACE(audioFixture + std::to_string(videoParts));
    // Both in one file as a store holds them: the audio, then the video's parts last first.
    std::string audio;
    for (const char *part : audioParts)
      audio += ReadFile(FixtureDir(audioFixture) / part);
    std::string store = audio;
    std::vector<FileSpan> video;
    for (std::size_t i = videoParts; i-- > 0;) {
      const std::string part =
          ReadFile(FixtureDir("hls-audio") / ("p0" + std::to_string(i) + ".ts"));
      video.insert(video.begin(), FileSpan{store.size(), part.size()});
      store += part;
    }
    testing::WriteFile(dir / "store", store);
    testing::WriteFile(dir / "audio", audio);
    const base::Outcome<Container> joined =
        Remux(TrackSource(dir / "store", video), TrackSource(dir / "store", {{0, audio.size()}}),
              dir / "joined");
    ASSERT_TRUE(joined.Done());
    EXPECT_EQ(joined.Value(), container);
    EXPECT_EQ(testing::VideoFrameHashes(dir / "joined"),
              std::vector(frames.begin(), frames.begin() + 10 * videoParts));
    EXPECT_EQ(testing::AudioFrameHashes(dir / "joined"), testing::AudioFrameHashes(dir / "audio"));
  }
  const fs::path sound = FixtureDir("hls-audio") / "p10.ts"; // sound alone: a radio's stream
  ASSERT_EQ(Remux(sound, std::nullopt, dir / "radio").Value(), Container::Mp4);
  EXPECT_EQ(testing::AudioFrameHashes(dir / "radio"), testing::AudioFrameHashes(sound));
}

// What cannot be made into a file is refused with a reason a user can read, hostile input too.
TEST(Streams, WhatCannotBeJoinedIsRefused) {
  // A playlist (which the demuxer must not follow), a header without frames, no folder; noise is
  // refused in StreamsTest.EachFailingAnswerSaysWhy.
  testing::TempDir dir;
  const std::pair<fs::path, fs::path> joins[] = {
      {FixtureDir("hls-variants") / "master.m3u8", dir / "a"},
      {FixtureDir("hls-fmp4") / "init.mp4", dir / "c"},
      {FixtureDir("hls-variants") / "v0_0.ts", dir / "none" / "d"}};
  for (const auto &[input, output] : joins) {
    const base::Outcome<Container> joined = Remux(input, std::nullopt, output);
    ASSERT_TRUE(joined.Failed()) << input;
    EXPECT_EQ(joined.Failure().kind, base::FaultKind::Remux);
  }

  // Each segment decrypts, with its key and the IV of its sequence number, to what the same run
  // wrote without a key; not when cut (a wrong key: StreamsTest.EachFailingAnswerSaysWhy).
  const fs::path aes = FixtureDir("hls-aes");
  const std::string address = "http://streams.test/hls-aes/index.m3u8";
  const base::Outcome<manifests::StreamTrack> track =
      manifests::ParseHlsMediaPlaylist(ReadFile(aes / "index.m3u8"), address);
  ASSERT_TRUE(track.Done());
  const auto local = [&](const std::string &at) { return aes / fs::path(at).filename(); };
  const std::vector<manifests::StreamFragment> &fragments = track.Value().fragments;
  for (std::size_t i = 0; i < fragments.size(); ++i) {
    const base::Outcome<std::string> plain =
        DecryptAes128Cbc(ReadFile(local(fragments[i].address)),
                         ReadFile(local(fragments[i].key->address)), fragments[i].key->iv);
    ASSERT_TRUE(plain.Done());
    EXPECT_TRUE(plain.Value() == ReadFile(aes / ("plain" + std::to_string(7 + i) + ".ts")))
        << "segment " << 7 + i;
  }
  const base::Outcome<std::string> cut =
      DecryptAes128Cbc(ReadFile(local(fragments.front().address)).substr(1),
                       ReadFile(local(fragments.front().key->address)), fragments.front().key->iv);
  EXPECT_TRUE(cut.Failed() && cut.Failure().kind == base::FaultKind::Stream);
}

} // namespace
} // namespace vidtrawl::media
