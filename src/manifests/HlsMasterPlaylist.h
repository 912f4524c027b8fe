#pragma once

#include "base/Outcome.h"
#include "manifests/StreamChoice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::manifests {

// One quality of an HLS video: its media playlist and what the master playlist says of it.
struct HlsVariant {
  std::string address; // of its media playlist, absolute
  std::uint64_t bandwidth = 0;
  std::uint64_t averageBandwidth = 0; // 0: not stated
  int width = 0;                      // 0: not stated
  int height = 0;
  std::string codecs;
  std::string audioGroup; // the GROUP-ID of its audio renditions; empty for none
};

// An audio track of a group (EXT-X-MEDIA TYPE=AUDIO).
struct HlsAudioRendition {
  std::string groupId;
  std::string name;
  std::string language;
  std::string address; // of its media playlist; empty when the audio is in the variants' streams
  bool isDefault = false;
};

struct HlsMasterPlaylist {
  std::vector<HlsVariant> variants;
  std::vector<HlsAudioRendition> audio;
};

// Whether the text is a master playlist (it lists variant streams), not a media playlist.
bool IsHlsMasterPlaylist(std::string_view text);

// The master playlist at `address` (the addresses in it are resolved against it). Faults
// (kind Stream): no HLS playlist, no variant stream.
base::Outcome<HlsMasterPlaylist> ParseHlsMasterPlaylist(std::string_view text,
                                                        std::string_view address);

// The media playlists to fetch for a quality: the variant's, and its group's default audio
// rendition's when that is a playlist of its own.
struct HlsChoice {
  std::string videoPlaylist;
  std::optional<std::string> audioPlaylist;
  std::uint64_t bitsPerSecond = 0; // both together, for an estimate of their size
  int width = 0;
  int height = 0;
  std::string audioLanguage; // the chosen rendition's (BCP 47); empty when none is said
};

// Ranks the variants with video (audio-only ones only when there is nothing else) by
// ChooseStream. The master must list a variant.
HlsChoice ChooseHlsVariant(const HlsMasterPlaylist &master, const Quality &quality);

} // namespace vidtrawl::manifests
