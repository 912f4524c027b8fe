#include "manifests/HlsMasterPlaylist.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"
#include "manifests/HlsSyntax.h"
#include "manifests/StreamFault.h"
#include "net/WebAddress.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace vidtrawl::manifests {
namespace {

template <typename T> T Number(const HlsAttributes &attributes, std::string_view name) {
  return base::ParseInteger<T>(Attribute(attributes, name)).value_or(0);
}

// RESOLUTION=<width>x<height>; zeros when it is missing or malformed.
std::pair<int, int> Resolution(std::string_view text) {
  const std::size_t x = base::FindIgnoringCase(text, "x");
  if (x == std::string_view::npos)
    return {0, 0};
  const auto width = base::ParseInteger<int>(text.substr(0, x));
  const auto height = base::ParseInteger<int>(text.substr(x + 1));
  if (!width || !height || *width < 0 || *height < 0)
    return {0, 0};
  return {*width, *height};
}

// Whether CODECS names only audio codecs: a variant to fall back on, not to prefer.
bool AudioOnly(std::string_view codecs) {
  constexpr std::array<std::string_view, 9> kVideo{"avc1", "avc3", "hvc1", "hev1", "dvh1",
                                                   "dvhe", "av01", "vp09", "mp4v"};
  if (codecs.empty())
    return false;
  return std::none_of(kVideo.begin(), kVideo.end(), [&](std::string_view video) {
    return base::FindIgnoringCase(codecs, video) != std::string_view::npos;
  });
}

} // namespace

bool IsHlsMasterPlaylist(std::string_view text) {
  return text.find("#EXT-X-STREAM-INF") != std::string_view::npos;
}

base::Outcome<HlsMasterPlaylist> ParseHlsMasterPlaylist(std::string_view text,
                                                        std::string_view address) {
  const std::optional<std::vector<HlsLine>> lines = ReadHlsLines(text);
  if (!lines)
    return StreamFault("the address gives no HLS playlist");
  HlsMasterPlaylist master;
  std::optional<HlsVariant> pending; // a variant's tag, waiting for its address line
  for (const HlsLine &line : *lines) {
    if (line.tag == "EXT-X-STREAM-INF") {
      const HlsAttributes attributes = ParseHlsAttributes(line.value);
      pending = HlsVariant{};
      pending->bandwidth = Number<std::uint64_t>(attributes, "BANDWIDTH");
      pending->averageBandwidth = Number<std::uint64_t>(attributes, "AVERAGE-BANDWIDTH");
      std::tie(pending->width, pending->height) = Resolution(Attribute(attributes, "RESOLUTION"));
      pending->codecs = Attribute(attributes, "CODECS");
      pending->audioGroup = Attribute(attributes, "AUDIO");
    } else if (line.tag == "EXT-X-MEDIA") {
      const HlsAttributes attributes = ParseHlsAttributes(line.value);
      if (Attribute(attributes, "TYPE") != "AUDIO")
        continue;
      HlsAudioRendition rendition{std::string(Attribute(attributes, "GROUP-ID")),
                                  std::string(Attribute(attributes, "NAME")),
                                  std::string(Attribute(attributes, "LANGUAGE")),
                                  {},
                                  Attribute(attributes, "DEFAULT") == "YES"};
      if (const std::string_view uri = Attribute(attributes, "URI"); !uri.empty()) {
        const std::optional<std::string> resolved = net::ResolveWebAddress(address, uri);
        if (!resolved)
          return UnfetchableAddress(uri);
        rendition.address = *resolved;
      }
      master.audio.push_back(std::move(rendition));
    } else if (line.tag.empty() && pending) {
      const std::optional<std::string> resolved = net::ResolveWebAddress(address, line.value);
      if (!resolved)
        return UnfetchableAddress(line.value);
      pending->address = *resolved;
      master.variants.push_back(std::move(*pending));
      pending.reset();
    }
  }
  if (master.variants.empty())
    return StreamFault("the playlist lists no stream");
  return master;
}

HlsChoice ChooseHlsVariant(const HlsMasterPlaylist &master, const Quality &quality) {
  const bool anyVideo = std::any_of(master.variants.begin(), master.variants.end(),
                                    [](const HlsVariant &v) { return !AudioOnly(v.codecs); });
  std::vector<const HlsVariant *> offered;
  std::vector<StreamCandidate> candidates;
  for (const HlsVariant &variant : master.variants) {
    if (anyVideo && AudioOnly(variant.codecs))
      continue;
    offered.push_back(&variant);
    candidates.push_back({variant.width, variant.height, variant.bandwidth});
  }
  const HlsVariant &chosen = *offered.at(ChooseStream(candidates, quality));
  HlsChoice choice{chosen.address,
                   std::nullopt,
                   chosen.averageBandwidth > 0 ? chosen.averageBandwidth : chosen.bandwidth,
                   chosen.width,
                   chosen.height,
                   {}};
  // The group's default rendition, else its first; the player's choice where none is marked.
  const HlsAudioRendition *audio = nullptr;
  for (const HlsAudioRendition &rendition : master.audio)
    if (!chosen.audioGroup.empty() && rendition.groupId == chosen.audioGroup &&
        (audio == nullptr || (rendition.isDefault && !audio->isDefault)))
      audio = &rendition;
  if (audio != nullptr && !audio->address.empty())
    choice.audioPlaylist = audio->address;
  if (audio != nullptr)
    choice.audioLanguage = audio->language;
  return choice;
}

} // namespace vidtrawl::manifests
