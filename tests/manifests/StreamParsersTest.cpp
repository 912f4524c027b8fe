// Playlists and manifests in the shapes that ffmpeg does not make (its own are read in
// tests/media/StreamsTest.cpp): refusals and their reasons, DASH's ways of naming segments, the
// tags that change a segment, and the choice of a quality.
#include "manifests/DashManifest.h"
#include "manifests/HlsMasterPlaylist.h"
#include "manifests/HlsMediaPlaylist.h"
#include "manifests/StreamFault.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vidtrawl::manifests {
namespace {

constexpr const char *kPage = "http://cdn.example.net/v/show.m3u8";

// The reason of a fault, or the segments' addresses (and ranges), one per line.
template <typename T, typename Lister>
std::string Said(const base::Outcome<T> &outcome, const Lister &list) {
  if (outcome.Failed())
    return outcome.Failure().detail;
  std::string lines;
  for (const StreamFragment &fragment : list(outcome.Value()))
    lines += fragment.address +
             (fragment.range ? "@" + std::to_string(fragment.range->offset) + "+" +
                                   std::to_string(fragment.range->length)
                             : "") +
             "\n";
  return lines;
}

std::string HlsSaid(const std::string &text) {
  return Said(ParseHlsMediaPlaylist(text, kPage),
              [](const StreamTrack &track) { return track.fragments; });
}

TEST(HlsPlaylists, WhatCannotBeFetchedIsRefusedWithItsReason) {
  const std::string m = "#EXTM3U\n", end = "#EXTINF:4,\na.ts\n#EXT-X-ENDLIST\n";
  const std::pair<std::string, std::string> cases[] = {
      {m + "#EXTINF:4,\na.ts\n", kLiveStream},
      {m + "#EXT-X-PLAYLIST-TYPE:EVENT\n#EXTINF:4,\na.ts\n", kLiveStream},
      {m + "#EXT-X-KEY:METHOD=SAMPLE-AES,URI=\"skd://k\"\n" + end,
       "the stream is encrypted with SAMPLE-AES (DRM), which is not supported"},
      {m + "#EXT-X-KEY:METHOD=SAMPLE-AES-CTR,KEYFORMAT=\"com.apple.streamingkeydelivery\"\n" + end,
       "the stream is encrypted with SAMPLE-AES-CTR (FairPlay DRM), which is not supported"},
      {m + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",KEYFORMAT=\"com.microsoft.playready\"\n" + end,
       "the stream's keys are given by PlayReady DRM, which is not supported"},
      {m + "#EXT-X-KEY:METHOD=AES-256,URI=\"k\"\n" + end,
       "the stream is encrypted with METHOD=AES-256, which is not supported"},
      {m + "#EXT-X-KEY:METHOD=AES-128,URI=\"k\",IV=0xZZ\n" + end,
       "the playlist gives a malformed IV for its key"},
      {m + "#EXT-X-KEY:METHOD=AES-128\n" + end, "the playlist names no address for its key"},
      {m + "#EXT-X-BYTERANGE:0@4\n" + end, "the playlist gives a malformed byte range"},
      {m + "#EXT-X-BYTERANGE:4@18446744073709551615\n" + end,
       "the playlist gives a malformed byte range"},
      {m + "#EXT-X-MAP:URI=\"i1.mp4\"\n#EXTINF:4,\na.ts\n#EXT-X-MAP:URI=\"i2.mp4\"\n" + end,
       "streams whose initialization section changes are not supported"},
      {m + "#EXTINF:4,\nftp://cdn.example.net/a.ts\n#EXT-X-ENDLIST\n",
       "the playlist names an address that cannot be fetched: ftp://cdn.example.net/a.ts"},
      {m + "#EXT-X-ENDLIST\n", "the playlist lists no segment"},
      {"<html>", "the address gives no HLS playlist"},
  };
  for (const auto &[text, reason] : cases)
    EXPECT_EQ(HlsSaid(text), reason) << text;
  EXPECT_EQ(ParseHlsMasterPlaylist(m + "#EXT-X-VERSION:3\n", kPage).Failure(),
            StreamFault("the playlist lists no stream"));
}

TEST(HlsPlaylists, TagsChangeTheSegmentsAfterThem) {
  const base::Outcome<StreamTrack> track = ParseHlsMediaPlaylist(
      "\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-MEDIA-SEQUENCE:41\r\n"
      "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/1\",IV=0x0102\r\n"
      "# a comment\r\n#EXTINF:2.5,\r\n#EXT-X-BYTERANGE:100@50\r\nall.ts\r\n"
      "#EXT-X-KEY:METHOD=NONE\r\n#EXT-X-DISCONTINUITY\r\n#EXTINF:1.5,\r\n"
      "#EXT-X-BYTERANGE:200\r\nall.ts\r\n"
      // A gap is no segment to fetch; its number and splice go on.
      "#EXT-X-KEY:METHOD=AES-128,URI=\"/keys/2\"\n#EXT-X-DISCONTINUITY\n"
      "#EXT-X-GAP\n#EXTINF:1,\ngap.ts\n#EXTINF:1,\nnext.ts\n#EXT-X-ENDLIST\r\n",
      kPage);
  ASSERT_TRUE(track.Done()) << track.Failure().detail;
  std::array<std::uint8_t, 16> iv{}, sequence44{};
  iv[14] = 1;
  iv[15] = 2;
  sequence44[15] = 44;
  const std::vector<StreamFragment> expected{
      {"http://cdn.example.net/v/all.ts", ByteRange{50, 100},
       SegmentKey{"http://cdn.example.net/keys/1", iv}, false, 2.5},
      {"http://cdn.example.net/v/all.ts", ByteRange{150, 200}, std::nullopt, true, 1.5},
      {"http://cdn.example.net/v/next.ts", std::nullopt,
       SegmentKey{"http://cdn.example.net/keys/2", sequence44}, true, 1}};
  EXPECT_EQ(track.Value().fragments, expected);
  EXPECT_EQ(track.Value().seconds, 6);
}

TEST(HlsPlaylists, AQualityPicksAVariantAndItsAudio) {
  const base::Outcome<HlsMasterPlaylist> master = ParseHlsMasterPlaylist(
      "#EXTM3U\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"lo\",NAME=\"en\",URI=\"lo/en.m3u8\"\n"
      "#EXT-X-MEDIA:TYPE=SUBTITLES,GROUP-ID=\"hi\",NAME=\"en\",DEFAULT=YES,URI=\"en.vtt\"\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"hi\",NAME=\"de\",URI=\"hi/de.m3u8\"\n"
      "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"hi\",NAME=\"en\",DEFAULT=YES,LANGUAGE=\"en\",URI=\"hi/"
      "en.m3u8\"\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=60000,CODECS=\"mp4a.40.2\"\nradio.m3u8\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=900000,RESOLUTION=640x360,AUDIO=\"lo\"\n360.m3u8\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=5000000,AVERAGE-BANDWIDTH=4000000,RESOLUTION=1920x1080,"
      "CODECS=\"avc1.640028,mp4a.40.2\",AUDIO=\"hi\"\n1080.m3u8\n"
      "#EXT-X-STREAM-INF:BANDWIDTH=2000000,RESOLUTION=1280x720\n720.m3u8\n",
      kPage);
  ASSERT_TRUE(master.Done());
  const std::tuple<const char *, const char *, const char *> cases[] = {
      {"best", "1080.m3u8", "hi/en.m3u8"},
      {"WORST", "360.m3u8", "lo/en.m3u8"},
      {"720p", "720.m3u8", ""},
      {" 1000 ", "720.m3u8", ""},
      {"240", "360.m3u8", "lo/en.m3u8"},
  };
  for (const auto &[quality, video, audio] : cases) {
    const HlsChoice choice = ChooseHlsVariant(master.Value(), *ParseQuality(quality));
    EXPECT_EQ(choice.videoPlaylist, std::string("http://cdn.example.net/v/") + video) << quality;
    EXPECT_EQ(choice.audioPlaylist.value_or("http://cdn.example.net/v/"),
              std::string("http://cdn.example.net/v/") + audio);
  }
  EXPECT_EQ(ChooseHlsVariant(master.Value(), {}).bitsPerSecond, 4000000u);
  EXPECT_EQ(ChooseHlsVariant(master.Value(), {}).audioLanguage, "en");
  for (const char *nonsense : {"", "high", "-720", "0", "720pp", "p"})
    EXPECT_FALSE(ParseQuality(nonsense).has_value()) << nonsense;
}

// A manifest of one video adaptation set of `body`, in a period of 7.5 seconds by default.
std::string Mpd(const std::string &body, const std::string &duration = "PT0H0M7.5S",
                const std::string &type = "static") {
  return "<MPD type=\"" + type + "\" mediaPresentationDuration=\"" + duration +
         "\"><BaseURL>http://media.example.org/a/</BaseURL><Period><BaseURL>p/</BaseURL>"
         "<AdaptationSet mimeType=\"video/mp4\" width=\"1280\"><BaseURL>s/</BaseURL>" +
         body + "</AdaptationSet></Period></MPD>";
}

std::string DashSaid(const std::string &text) {
  return Said(ParseDashManifest(text, "http://media.example.org/m.mpd"),
              [](const DashManifest &manifest) {
                StreamTrack track = manifest.video.at(0).track;
                if (track.init)
                  track.fragments.insert(track.fragments.begin(), *track.init);
                return track.fragments;
              });
}

TEST(DashManifests, SegmentsAreNamedEveryWay) {
  const std::string rep = "<Representation id=\"v1\" bandwidth=\"800\"><BaseURL>r/</BaseURL>";
  const std::string base = "http://media.example.org/a/p/s/";
  const std::pair<std::string, std::string> cases[] = {
      {rep + "<SegmentTemplate timescale=\"10\" startNumber=\"3\" duration=\"20\" "
             "initialization=\"$RepresentationID$/i.mp4\" media=\"$Number%04d$-$$.m4s\"/>"
             "</Representation>",
       "r/v1/i.mp4 r/0003-$.m4s r/0004-$.m4s r/0005-$.m4s r/0006-$.m4s"},
      {"<SegmentTemplate media=\"$Bandwidth$/$Time$.m4s\" timescale=\"1000\"><SegmentTimeline>"
       "<S t=\"500\" d=\"2000\" r=\"1\"/><S d=\"1000\"/><S t=\"6000\" d=\"1000\" r=\"-1\"/>"
       "</SegmentTimeline></SegmentTemplate>" +
           rep + "</Representation>",
       "r/800/500.m4s r/800/2500.m4s r/800/4500.m4s r/800/6000.m4s r/800/7000.m4s"},
      {rep + "<SegmentList duration=\"4\"><Initialization sourceURL=\"init.mp4\" range=\"0-99\"/>"
             "<SegmentURL media=\"one.m4s\"/><SegmentURL mediaRange=\"100-199\"/></SegmentList>"
             "</Representation>",
       "r/init.mp4@0+100 r/one.m4s r/@100+100"},
      {rep + "<SegmentTemplate duration=\"4\" media=\"$Number$.m4s\"><Initialization "
             "sourceURL=\"init.mp4\" range=\"0-9\"/></SegmentTemplate></Representation>",
       "r/init.mp4@0+10 r/1.m4s r/2.m4s"},
      {"<Representation><BaseURL>whole.mp4</BaseURL><SegmentBase indexRange=\"0-9\"/>"
       "</Representation>",
       "whole.mp4"},
  };
  for (const auto &[body, names] : cases) {
    std::string expected;
    std::istringstream words(names);
    for (std::string word; std::getline(words, word, ' ');)
      expected += base + word + "\n";
    EXPECT_EQ(DashSaid(Mpd(body)), expected) << body;
  }
}

TEST(DashManifests, WhatCannotBeFetchedIsRefusedWithItsReason) {
  const std::string rep = "<Representation id=\"v\"><SegmentTemplate duration=\"2\" media=\"";
  const std::pair<std::string, std::string> cases[] = {
      {Mpd("<Representation/>", "PT1S", "dynamic"), kLiveStream},
      {"<MPD><Period/><Period/></MPD>", "manifests of several periods are not supported"},
      {"<MPD/>", "the manifest lists no period"},
      {"<html><body>", "the address gives no DASH manifest"},
      {Mpd(rep + "$Foo$.m4s\"/></Representation>"),
       "the manifest gives a malformed segment template"},
      {Mpd(rep + "$Number%5x$.m4s\"/></Representation>"),
       "the manifest gives a malformed segment template"},
      {Mpd(rep + "n.m4s\" timescale=\"0\"/></Representation>"),
       "the manifest gives a malformed segment template"},
      {Mpd(rep + "n.m4s\" startNumber=\"-1\"/></Representation>"),
       "the manifest gives a malformed segment template"},
      {Mpd(rep + "$Number%099d$.m4s\"/></Representation>"),
       "the manifest gives a malformed segment template"},
      {Mpd("<Representation><SegmentList timescale=\"0\"><SegmentURL media=\"a\"/></SegmentList>"
           "</Representation>"),
       "the manifest gives a malformed segment list"},
      {Mpd(rep + "n.m4s\"/></Representation>", "P"),
       "the manifest states no duration for its segments to fill"},
      {Mpd(rep + "n.m4s\"/></Representation>", "P9999D"),
       "the manifest lists more segments than can be fetched"},
      {Mpd("<Representation><SegmentList><SegmentURL mediaRange=\"9-1\"/></SegmentList>"
           "</Representation>"),
       "the manifest gives a malformed byte range"},
      {Mpd("<Representation><SegmentTemplate media=\"$Time$\"><SegmentTimeline><S d=\"0\"/>"
           "</SegmentTimeline></SegmentTemplate></Representation>"),
       "the manifest gives a malformed segment timeline"},
      {"<MPD><Period><AdaptationSet contentType=\"text\"><Representation/></AdaptationSet>"
       "</Period></MPD>",
       "the manifest lists no audio or video"},
  };
  for (const auto &[text, reason] : cases)
    EXPECT_EQ(DashSaid(text), reason) << text;
}

// The video the quality picks among the clear sets, and the audio of the main role, then of the
// language wanted, then of the bandwidth the quality picks: a protected set is as if not there,
// unless it is all there is.
TEST(DashManifests, AQualityPicksARepresentationAndTheAudioGoesWithIt) {
  // Sets of representations each one file, named after its height or bandwidth.
  const auto set = [](const char *type, std::initializer_list<std::pair<int, const char *>> reps,
                      const std::string &inside = {}) {
    std::string text = std::string("<AdaptationSet contentType=\"") + type + "\">" + inside;
    for (const auto &[bandwidth, name] : reps)
      text += "<Representation bandwidth=\"" + std::to_string(bandwidth) + "\" height=\"" + name +
              "\"><BaseURL>" + name + "</BaseURL></Representation>";
    return text + "</AdaptationSet>";
  };
  const std::string drm = "<ContentProtection schemeIdUri=\"urn:uuid:9A04F079-9840-4286-AB92-"
                          "E65BE0885F95\"/><ContentProtection schemeIdUri=\"urn:uuid:edef8ba9-"
                          "79d6-4ace-a3c8-27dcd51d21ed\"/>";
  const std::string video = set("video", {{900000, "720"}, {400000, "360"}}),
                    audio = set("audio", {{64000, "a64"}, {128000, "a128"}}),
                    locked = set("video", {{9000000, "1080"}}, drm),
                    refused = "the stream is protected by DRM (PlayReady, Widevine), which is not "
                              "supported";
  // The role and the language: StreamsTest.TheAudioFollowsTheRoleAndTheUsersLanguage.
  const std::tuple<std::string, const char *, std::string> cases[] = {
      {video + audio, "best", "720 a128 1028000"},
      {video + audio, "worst", "360 a64 464000"},
      {video + audio, "480", "360 a128 528000"},
      {video, "best", "720  900000"},
      {audio, "best", "a128  128000"},
      {audio, "worst", "a64  64000"},
      {locked + video + audio, "best", "720 a128 1028000"},
      {locked + audio, "best", refused},
      {video + set("audio", {{128000, "a128"}}, drm), "best", refused},
  };
  for (const auto &[sets, quality, expected] : cases) {
    const base::Outcome<DashManifest> manifest = ParseDashManifest(
        "<MPD mediaPresentationDuration=\"PT10S\"><Period>" + sets + "</Period></MPD>",
        "http://m/");
    ASSERT_TRUE(manifest.Done()) << sets;
    const base::Outcome<StreamPlan> plan =
        ChooseDashStreams(manifest.Value(), *ParseQuality(quality));
    const auto name = [](const StreamTrack &track) {
      return track.fragments.at(0).address.substr(9);
    };
    const std::optional<StreamTrack> &second = plan.Done() ? plan.Value().audio : std::nullopt;
    EXPECT_EQ(plan.Failed() ? plan.Failure().detail
                            : name(plan.Value().video) + " " + (second ? name(*second) : "") + " " +
                                  std::to_string(plan.Value().video.bitsPerSecond +
                                                 (second ? second->bitsPerSecond : 0)),
              expected)
        << sets << quality;
  }
}

} // namespace
} // namespace vidtrawl::manifests
