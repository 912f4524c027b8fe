#include "manifests/DashManifest.h"

#include "base/NumberScan.h"
#include "base/TrimBlanks.h"
#include "manifests/DashSegments.h"
#include "manifests/DrmSystems.h"
#include "manifests/IsoDuration.h"
#include "manifests/StreamFault.h"
#include "net/WebAddress.h"

#include <pugixml.hpp>

#include <set>

namespace vidtrawl::manifests {
namespace {

// A day of two-second segments in four qualities: a manifest of more is no video to fetch.
constexpr std::size_t kMostSegments = 200'000;

enum class Content { Video, Audio, Other };

Content ContentOf(const pugi::xml_node &set, const pugi::xml_node &representation) {
  std::string_view type = set.attribute("contentType").value();
  if (type.empty()) {
    const pugi::xml_attribute mime = representation.attribute("mimeType")
                                         ? representation.attribute("mimeType")
                                         : set.attribute("mimeType");
    type = mime.value();
    type = type.substr(0, type.find('/'));
  }
  return type == "video" ? Content::Video : type == "audio" ? Content::Audio : Content::Other;
}

// The level's first BaseURL resolved against the base it inherits; the inherited one without.
base::Outcome<std::string> Rebase(const std::string &base, const pugi::xml_node &level) {
  const std::string_view url = base::TrimBlanks(level.child_value("BaseURL"));
  if (url.empty())
    return base;
  if (std::optional<std::string> resolved = net::ResolveWebAddress(base, url))
    return std::move(*resolved);
  return UnfetchableAddress(url);
}

// An attribute of the representation, else of its adaptation set.
const char *Either(const pugi::xml_node &representation, const pugi::xml_node &set,
                   const char *name) {
  const pugi::xml_attribute own = representation.attribute(name);
  return own ? own.value() : set.attribute(name).value();
}

int Pixels(const char *text) {
  return std::max(base::ParseInteger<int>(text).value_or(0), 0);
}

// The DRM systems that protect the period's sets, by name; empty when none does.
std::string Protection(const pugi::xml_node &period) {
  std::set<std::string> systems;
  auto note = [&](const pugi::xml_node &level) {
    for (const pugi::xml_node &protection : level.children("ContentProtection"))
      systems.insert(DrmSystemName(protection.attribute("schemeIdUri").value()));
  };
  for (const pugi::xml_node &set : period.children("AdaptationSet")) {
    note(set);
    for (const pugi::xml_node &representation : set.children("Representation"))
      note(representation);
  }
  std::string names;
  for (const std::string &system : systems)
    names += (names.empty() ? "" : ", ") + system.substr(0, 80);
  return names;
}

// How long the period lasts: its own duration, else what the presentation has left after its
// start; 0 when the manifest does not say.
double PeriodSeconds(const pugi::xml_node &mpd, const pugi::xml_node &period) {
  if (const auto own = ParseIsoDuration(period.attribute("duration").value()))
    return *own;
  const auto whole = ParseIsoDuration(mpd.attribute("mediaPresentationDuration").value());
  const double start = ParseIsoDuration(period.attribute("start").value()).value_or(0);
  return whole && *whole > start ? *whole - start : 0;
}

const DashRepresentation &Pick(const std::vector<DashRepresentation> &offered,
                               const Quality &quality) {
  std::vector<StreamCandidate> candidates;
  for (const DashRepresentation &representation : offered)
    candidates.push_back({representation.width, representation.height, representation.bandwidth});
  return offered.at(ChooseStream(candidates, quality));
}

} // namespace

base::Outcome<DashManifest> ParseDashManifest(std::string_view text, std::string_view address) {
  pugi::xml_document document;
  const pugi::xml_node mpd =
      document.load_buffer(text.data(), text.size()) ? document.child("MPD") : pugi::xml_node();
  if (!mpd)
    return StreamFault("the address gives no DASH manifest");
  if (std::string_view(mpd.attribute("type").value()) == "dynamic")
    return StreamFault(kLiveStream);
  const pugi::xml_node period = mpd.child("Period");
  if (!period)
    return StreamFault("the manifest lists no period");
  if (period.next_sibling("Period"))
    return StreamFault("manifests of several periods are not supported");
  if (const std::string systems = Protection(period); !systems.empty())
    return StreamFault("the stream is protected by DRM (" + systems + "), which is not supported");

  DashManifest manifest;
  std::size_t budget = kMostSegments;
  base::Outcome<std::string> periodBase = Rebase(std::string(address), mpd);
  if (periodBase.Done())
    periodBase = Rebase(periodBase.Value(), period);
  if (periodBase.Failed())
    return periodBase.Failure();
  for (const pugi::xml_node &set : period.children("AdaptationSet")) {
    base::Outcome<std::string> setBase = Rebase(periodBase.Value(), set);
    if (setBase.Failed())
      return setBase.Failure();
    for (const pugi::xml_node &representation : set.children("Representation")) {
      const Content content = ContentOf(set, representation);
      if (content == Content::Other)
        continue;
      base::Outcome<std::string> base = Rebase(setBase.Value(), representation);
      if (base.Failed())
        return base.Failure();
      DashRepresentation found{
          representation.attribute("id").value(),
          base::ParseInteger<std::uint64_t>(representation.attribute("bandwidth").value())
              .value_or(0),
          Pixels(Either(representation, set, "width")),
          Pixels(Either(representation, set, "height")),
          Either(representation, set, "codecs"),
          {}};
      base::Outcome<StreamTrack> track =
          DashSegments({period, set, representation, base.Value(), found.id, found.bandwidth,
                        PeriodSeconds(mpd, period)},
                       budget);
      if (track.Failed())
        return track.Failure();
      found.track = std::move(track.Value());
      (content == Content::Video ? manifest.video : manifest.audio).push_back(std::move(found));
    }
  }
  if (manifest.video.empty() && manifest.audio.empty())
    return StreamFault("the manifest lists no audio or video");
  return manifest;
}

StreamPlan ChooseDashStreams(const DashManifest &manifest, const Quality &quality) {
  const Quality audioQuality = quality.rule == Quality::Rule::Worst ? quality : Quality{};
  const auto trackOf = [](const DashRepresentation &representation) {
    StreamTrack track = representation.track;
    track.bitsPerSecond = representation.bandwidth;
    return track;
  };
  if (manifest.video.empty())
    return MakeStreamPlan(trackOf(Pick(manifest.audio, audioQuality)), std::nullopt);
  StreamTrack video = trackOf(Pick(manifest.video, quality));
  if (manifest.audio.empty())
    return MakeStreamPlan(std::move(video), std::nullopt);
  return MakeStreamPlan(std::move(video), trackOf(Pick(manifest.audio, audioQuality)));
}

} // namespace vidtrawl::manifests
