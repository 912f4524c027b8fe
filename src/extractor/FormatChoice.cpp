#include "extractor/FormatChoice.h"

#include <algorithm>
#include <vector>

namespace vidtrawl::extractor {

FormatTransport TransportOf(const Format &format) {
  const std::string &p = format.protocol;
  if (format.address.empty() && p != "http_dash_segments")
    return FormatTransport::None;
  if (p == "https" || p == "http" ||
      (p.empty() &&
       (format.address.starts_with("https://") || format.address.starts_with("http://"))))
    return FormatTransport::File;
  if (p == "m3u8_native" || p == "m3u8")
    return FormatTransport::Hls;
  if (p == "http_dash_segments" && !format.fragments.empty())
    return FormatTransport::Fragments;
  return FormatTransport::None;
}

namespace {

const Format *Choose(const std::vector<const Format *> &formats,
                     const manifests::Quality &quality) {
  if (formats.empty())
    return nullptr;
  std::vector<manifests::StreamCandidate> candidates;
  for (const Format *format : formats)
    candidates.push_back({format->width, format->height,
                          static_cast<std::uint64_t>(std::max(0.0, format->kbps) * 1000)});
  return formats[manifests::ChooseStream(candidates, quality)];
}

} // namespace

std::optional<FormatChoice> ChooseFormats(const VideoInfo &video, const manifests::Quality &quality,
                                          std::string *refused) {
  std::vector<const Format *> both, videoOnly, audioOnly, visual;
  std::string others;
  for (const Format &format : video.formats) {
    if (TransportOf(format) == FormatTransport::None) {
      const std::string name = format.protocol.empty() ? "no address" : format.protocol;
      if (others.find(name) == std::string::npos)
        others += (others.empty() ? "" : ", ") + name;
      continue;
    }
    if (format.video && format.audio)
      both.push_back(&format);
    else if (format.video)
      videoOnly.push_back(&format);
    else if (format.audio)
      audioOnly.push_back(&format);
    if (format.video)
      visual.push_back(&format);
  }
  if (refused != nullptr)
    *refused = others;
  const Format *best = Choose(visual, quality);
  if (best == nullptr) {
    // Sound alone, where that is all there is.
    const Format *audio = Choose(audioOnly, manifests::Quality{});
    return audio == nullptr ? std::nullopt : std::optional<FormatChoice>({*audio, std::nullopt});
  }
  const Format *whole = Choose(both, quality);
  const Format *sound = Choose(audioOnly, manifests::Quality{});
  if (best->audio || sound == nullptr ||
      (whole != nullptr && whole->height >= best->height && whole->width >= best->width))
    return FormatChoice{whole != nullptr ? *whole : *best, std::nullopt};
  return FormatChoice{*best, *sound};
}

} // namespace vidtrawl::extractor
