// Streams made by ffmpeg, taken as the engine takes them: the playlist or manifest read, a
// quality chosen, each planned fragment read from the fixture's folder (its byte range only),
// decrypted where keyed and appended to its track's file, and the tracks remuxed. The file's
// decoded frames must be the source's.
#include "media/Aes128Cbc.h"
#include "media/Remuxer.h"
#include "resolve/DashManifest.h"
#include "resolve/HlsMasterPlaylist.h"
#include "resolve/HlsMediaPlaylist.h"
#include "resolve/StreamFault.h"
#include "support/StreamFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vidtrawl::media {
namespace {

using namespace resolve;
using testing::ReadFile;

// The fixtures' folder as a server would offer it.
constexpr std::string_view kHost = "http://streams.test/";

// The file an address names, in the fixture that its first folder names.
std::string Get(const std::string &address) {
  EXPECT_TRUE(address.starts_with(kHost)) << address;
  const std::string path = address.substr(kHost.size());
  const testing::StreamFixture &fixture =
      testing::FindStreamFixture(path.substr(0, path.find('/')));
  return ReadFile(testing::StreamFixtureDir(fixture).parent_path() / path);
}

std::string Fragment(const StreamFragment &fragment) {
  std::string data = Get(fragment.address);
  if (fragment.range)
    data = data.substr(fragment.range->offset, fragment.range->length);
  if (!fragment.key)
    return data;
  base::Outcome<std::string> plain =
      DecryptAes128Cbc(data, Get(fragment.key->address), fragment.key->iv);
  EXPECT_TRUE(plain.Done()) << fragment.address << ": " << plain.Failure().detail;
  return plain.Done() ? plain.Value() : std::string();
}

std::string TrackFile(const StreamTrack &track) {
  std::string file = track.init ? Fragment(*track.init) : std::string();
  for (const StreamFragment &fragment : track.fragments)
    file += Fragment(fragment);
  return file;
}

// master → choice → media playlists → plan, or manifest → plan.
base::Outcome<StreamPlan> Plan(const std::string &address, const Quality &quality) {
  const std::string text = Get(address);
  if (address.ends_with(".mpd")) {
    const base::Outcome<DashManifest> manifest = ParseDashManifest(text, address);
    return manifest.Done() ? base::Outcome<StreamPlan>(ChooseDashStreams(manifest.Value(), quality))
                           : manifest.Failure();
  }
  HlsChoice choice;
  choice.videoPlaylist = address;
  if (IsHlsMasterPlaylist(text)) {
    const base::Outcome<HlsMasterPlaylist> master = ParseHlsMasterPlaylist(text, address);
    if (master.Failed())
      return master.Failure();
    choice = ChooseHlsVariant(master.Value(), quality);
  }
  const auto media = [](const std::string &at) { return ParseHlsMediaPlaylist(Get(at), at); };
  const base::Outcome<StreamTrack> video = media(choice.videoPlaylist);
  const std::optional audio =
      choice.audioPlaylist ? std::optional(media(*choice.audioPlaylist)) : std::nullopt;
  if (video.Failed() || (audio && audio->Failed()))
    return video.Failed() ? video.Failure() : audio->Failure();
  return MakeStreamPlan(video.Value(), audio ? std::optional(audio->Value()) : std::nullopt,
                        choice.bitsPerSecond);
}

TEST(Streams, EachKindBecomesOneFileOfTheSourcesFrames) {
  using testing::kFirstPiece, testing::kLargeVideo, testing::kSecondPiece, testing::kSmallVideo;
  struct Case {
    const char *fixture;
    const char *quality;
    std::vector<const char *> sources; // the video, piece by piece
    bool separateAudio;
    const char *audio; // its codec in the file
    Container container;
  };
  const Case cases[] = {
      {"hls-variants", "best", {kLargeVideo}, false, "aac", Container::Mp4},
      {"hls-variants", "240p", {kSmallVideo}, false, "aac", Container::Mp4},
      {"hls-fmp4", "best", {kSmallVideo}, false, "aac", Container::Mp4},
      {"hls-aes", "best", {kSmallVideo}, false, "aac", Container::Mp4},
      {"hls-audio", "best", {kSmallVideo}, true, "aac", Container::Mp4},
      {"hls-byterange", "best", {kSmallVideo}, false, "aac", Container::Mp4},
      {"hls-discontinuity", "best", {kFirstPiece, kSecondPiece}, false, "aac", Container::Mp4},
      {"dash", "best", {kLargeVideo}, true, "aac", Container::Mp4},
      {"dash", "worst", {kSmallVideo}, true, "aac", Container::Mp4},
      {"dash-single", "720", {kSmallVideo}, true, "aac", Container::Mp4},
      {"dash-webm", "best", {kSmallVideo}, true, "opus", Container::Matroska},
  };
  testing::TempDir dir;
  for (const Case &row : cases) {
    SCOPED_TRACE(std::string(row.fixture) + " " + row.quality);
    const testing::StreamFixture &fixture = testing::FindStreamFixture(row.fixture);
    const base::Outcome<StreamPlan> plan =
        Plan(std::string(kHost) + fixture.name + "/" + fixture.entry, *ParseQuality(row.quality));
    ASSERT_TRUE(plan.Done()) << plan.Failure().detail;
    ASSERT_EQ(plan.Value().audio.has_value(), row.separateAudio);
    EXPECT_NEAR(plan.Value().seconds, 4, 0.1);
    const std::string video = TrackFile(plan.Value().video);
    const std::string audio = row.separateAudio ? TrackFile(*plan.Value().audio) : "";
    testing::WriteFile(dir / "video", video);
    testing::WriteFile(dir / "audio", audio);
    // A plan of byte ranges knows its size to the byte; a master playlist or a manifest states
    // a bandwidth to estimate it by.
    if (plan.Value().video.fragments.front().range)
      EXPECT_EQ(plan.Value().estimatedBytes, video.size() + audio.size());
    else
      EXPECT_EQ(plan.Value().estimatedBytes.has_value(),
                fixture.entry != std::string("index.m3u8"));
    const base::Outcome<Container> joined =
        Remux(dir / "video", row.separateAudio ? std::optional(dir / "audio") : std::nullopt,
              dir / "out");
    ASSERT_TRUE(joined.Done()) << joined.Failure().detail;
    EXPECT_EQ(joined.Value(), row.container);
    std::vector<std::string> frames;
    for (const char *source : row.sources)
      for (std::string &frame : testing::LavfiFrameHashes(source))
        frames.push_back(std::move(frame));
    EXPECT_EQ(testing::VideoFrameHashes(dir / "out"), frames);
    EXPECT_EQ(testing::AudioCodecs(dir / "out"), std::vector<std::string>{row.audio});
  }
}

// What cannot be made into a file is refused with a reason a user can read, hostile input too.
TEST(Streams, WhatCannotBeJoinedIsRefused) {
  const auto dirOf = [](const char *name) {
    return testing::StreamFixtureDir(testing::FindStreamFixture(name));
  };
  const base::Outcome<StreamPlan> live = Plan(std::string(kHost) + "hls-live/index.m3u8", {});
  ASSERT_TRUE(live.Failed());
  EXPECT_EQ(live.Failure(), StreamFault(kLiveStream));

  // A playlist (which the demuxer must not follow), noise, a header without frames, no folder.
  testing::TempDir dir;
  testing::WriteFile(dir / "noise", testing::Pattern(100000));
  const std::pair<std::filesystem::path, std::filesystem::path> joins[] = {
      {dirOf("hls-variants") / "master.m3u8", dir / "a"},
      {dir / "noise", dir / "b"},
      {dirOf("hls-fmp4") / "init.mp4", dir / "c"},
      {dirOf("hls-variants") / "v0_0.ts", dir / "none" / "d"}};
  for (const auto &[input, output] : joins) {
    const base::Outcome<Container> joined = Remux(input, std::nullopt, output);
    ASSERT_TRUE(joined.Failed()) << input;
    EXPECT_EQ(joined.Failure().kind, base::FaultKind::Remux);
  }

  // Each segment decrypts, with its key and the IV of its sequence number, to what the same run
  // wrote without a key; not with a key of the wrong length or the wrong key, nor when cut.
  const base::Outcome<StreamPlan> aes = Plan(std::string(kHost) + "hls-aes/index.m3u8", {});
  ASSERT_TRUE(aes.Done());
  const std::vector<StreamFragment> &fragments = aes.Value().video.fragments;
  for (std::size_t i = 0; i < fragments.size(); ++i)
    EXPECT_TRUE(Fragment(fragments[i]) ==
                ReadFile(dirOf("hls-aes") / ("plain" + std::to_string(7 + i) + ".ts")))
        << "segment " << 7 + i;
  const std::string segment = Get(fragments.front().address);
  const std::string key = Get(fragments.front().key->address);
  const std::pair<std::string, std::string> wrong[] = {
      {segment, key.substr(1)}, {segment, "fedcba9876543210"}, {segment.substr(1), key}};
  for (const auto &[data, badKey] : wrong) {
    const base::Outcome<std::string> plain =
        DecryptAes128Cbc(data, badKey, fragments.front().key->iv);
    ASSERT_TRUE(plain.Failed());
    EXPECT_EQ(plain.Failure().kind, base::FaultKind::Stream);
  }
}

} // namespace
} // namespace vidtrawl::media
