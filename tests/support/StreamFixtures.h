#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::testing {

// Streams as sites serve them, made by the ffmpeg command from lavfi sources (lossless H.264,
// so that decoded frames equal the source's): each a folder to serve or read, and the
// playlist or manifest in it to start from.
struct StreamFixture {
  const char *name;    // its folder, and how the tests ask for it
  const char *entry;   // the playlist or manifest to start from
  std::string command; // the shell command that makes it in its folder
};

// The video sources (lavfi graphs) the fixtures are made of.
inline constexpr const char *kSmallVideo = "testsrc2=s=320x180:r=10:d=4";
inline constexpr const char *kLargeVideo = "testsrc2=s=640x360:r=10:d=4";
inline constexpr const char *kFirstPiece = "testsrc2=s=320x180:r=10:d=2";
inline constexpr const char *kSecondPiece = "smptebars=s=320x180:r=10:d=2";
inline constexpr const char *kManyFrames = "testsrc2=s=16x16:r=100:d=50";

// hls-variants (a master playlist, 320x180 and 640x360 in TS), hls-fmp4, hls-aes (AES-128, the
// IVs left to the media sequence, from 7; the same unencrypted in plain.m3u8), hls-audio (an
// alternate audio rendition), hls-byterange (one fMP4 file, offsets after the first left out),
// hls-discontinuity (two recordings), hls-live, dash (two video qualities and audio,
// SegmentTimeline), dash-single (SegmentList of byte ranges), dash-webm (VP9 and Opus, numbered
// segments), dash-ondemand (a file a representation: the small video, a video set protected by
// DRM, audio sets of de.mp4 and en.mp4 in the main role and commentary.mp4, each a tone of its
// own), hls-hevc (HEVC tagged hvc1, in fMP4), hls-splice and hls-splice-mp3 (two pieces of
// 2 s at 30 frames a second, B-frames, a 1 kHz tone at 48 kHz then at 44.1 kHz, AAC or MP3),
// hls-many (5,000 segments of one frame each, TS).
const StreamFixture &FindStreamFixture(std::string_view name);

// The fixture's folder, made on first use in a test run and kept until its end (ctest's
// StreamFixturesCleanup removes them); processes that race to make it agree on one.
std::filesystem::path StreamFixtureDir(const StreamFixture &fixture);

// The md5 of each decoded video frame (in yuv420p) of a file, or of a lavfi graph.
std::vector<std::string> VideoFrameHashes(const std::filesystem::path &file);
std::vector<std::string> LavfiFrameHashes(std::string_view graph);
// The md5 of each decoded audio frame of a file.
std::vector<std::string> AudioFrameHashes(const std::filesystem::path &file);

// The frequency of a file's audio (a tone) from `from` for `seconds`, by its zero crossings.
double ToneHertz(const std::filesystem::path &file, double from, double seconds);
// What ffprobe says of each stream of a file (`what`: its options, "-show_entries ..."), one
// line each, its fields separated by commas.
std::vector<std::string> ProbeStreams(const std::filesystem::path &file, const std::string &what);

} // namespace vidtrawl::testing
