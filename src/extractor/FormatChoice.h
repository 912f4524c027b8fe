#pragma once

#include "extractor/VideoInfo.h"
#include "manifests/StreamChoice.h"

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::extractor {

// How a protocol of the extractor's formats is received: as one file, as an HLS playlist, as
// the fragments it lists; or not at all.
enum class FormatTransport { File, Hls, Fragments, None };
FormatTransport TransportOf(const Format &format);

// The formats to download: one that carries video and audio, or a video and an audio joined.
struct FormatChoice {
  Format video;
  std::optional<Format> audio; // separate: joined to the video by the remuxer
};

// What the user's quality picks among the formats of a protocol Vidtrawl receives: the best
// video by the rule (ChooseStream), taken whole when it carries its audio or when a format with
// both is as tall; else joined with the best audio. Nothing when no format can be received:
// `refused` then names the protocols offered (empty when there was no format at all).
std::optional<FormatChoice> ChooseFormats(const VideoInfo &video, const manifests::Quality &quality,
                                          std::string *refused = nullptr);

} // namespace vidtrawl::extractor
