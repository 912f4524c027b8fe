#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a streaming video is made of, once its playlist or manifest has been read and a quality
// chosen: the fragments to fetch, in order, for the video and for a separate audio track. The
// way there:
//
//   HLS:  text of the address ── IsHlsMasterPlaylist? ── ParseHlsMasterPlaylist
//           → ChooseHlsVariant (a Quality) → fetch its media playlist (and its audio's)
//           → ParseHlsMediaPlaylist for each → MakeStreamPlan
//         (a media playlist given directly goes straight to ParseHlsMediaPlaylist)
//   DASH: ParseDashManifest → ChooseDashStreams (a Quality) → the plan
//
// Then for each track: fetch the init fragment and the fragments (their byte ranges only),
// decrypt the keyed ones (media::DecryptAes128Cbc with the key fetched from its address),
// append them to one file per track as received, and join the tracks with media::Remux.
namespace vidtrawl::manifests {

// Bytes [offset, offset + length) of a resource: an HTTP Range of
// "bytes=offset-(offset + length - 1)". length is never 0.
struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;

  friend bool operator==(const ByteRange &, const ByteRange &) = default;
};

// A fragment encrypted whole with AES-128 in CBC mode with PKCS#7 padding (HLS's METHOD=AES-128):
// the 16 bytes of its key are at `address`.
struct SegmentKey {
  std::string address;
  std::array<std::uint8_t, 16> iv{};

  friend bool operator==(const SegmentKey &, const SegmentKey &) = default;
};

struct StreamFragment {
  std::string address; // absolute http or https
  std::optional<ByteRange> range;
  std::optional<SegmentKey> key;
  // Timestamps may restart here (a spliced-in piece); the remuxer mends them either way.
  bool discontinuity = false;
  double seconds = 0;

  friend bool operator==(const StreamFragment &, const StreamFragment &) = default;
};

// One track's file is its init fragment (the container's header, for fragmented MP4 and WebM)
// followed by its fragments.
struct StreamTrack {
  std::optional<StreamFragment> init;
  std::vector<StreamFragment> fragments;
  double seconds = 0;              // the fragments' durations together
  std::uint64_t bitsPerSecond = 0; // the rate its playlist states (0: none)
  std::string language;            // its tag in the playlist (BCP 47); empty when it has none
};

struct StreamPlan {
  StreamTrack video;                // the only track when the audio comes with the video
  std::optional<StreamTrack> audio; // a separate audio track, joined to the video by the remuxer
  double seconds = 0;
};

StreamPlan MakeStreamPlan(StreamTrack video, std::optional<StreamTrack> audio);

} // namespace vidtrawl::manifests
