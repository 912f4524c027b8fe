#include "manifests/DashManifest.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"
#include "base/TrimBlanks.h"
#include "manifests/DashSegments.h"
#include "manifests/DrmSystems.h"
#include "manifests/IsoDuration.h"
#include "manifests/StreamFault.h"
#include "net/WebAddress.h"

#include <pugixml.hpp>

#include <algorithm>
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

// The DRM systems that protect a representation (at its level or its set's), by name; empty
// when none does.
std::string Protection(const pugi::xml_node &set, const pugi::xml_node &representation) {
  std::set<std::string> systems;
  for (const pugi::xml_node &level : {set, representation})
    for (const pugi::xml_node &protection : level.children("ContentProtection"))
      systems.insert(DrmSystemName(protection.attribute("schemeIdUri").value()).substr(0, 80));
  std::string names;
  for (const std::string &system : systems)
    names += (names.empty() ? "" : ", ") + system;
  return names;
}

// Whether the representation's role (its own, else its set's) is the main one.
bool MainRole(const pugi::xml_node &set, const pugi::xml_node &representation) {
  for (const pugi::xml_node &level : {representation, set})
    for (const pugi::xml_node &role : level.children("Role"))
      if (std::string_view(role.attribute("schemeIdUri").value()) == "urn:mpeg:dash:role:2011")
        return std::string_view(role.attribute("value").value()) == "main";
  return false;
}

// A language tag's primary subtag, in lower case: "en" of "en-GB".
std::string PrimaryLanguage(std::string_view tag) {
  return base::LowerAscii(base::TrimBlanks(tag.substr(0, tag.find_first_of("-_"))));
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

// The clear representations of `offered`; a fault naming the DRM systems when every one is
// protected.
base::Outcome<std::vector<const DashRepresentation *>>
Clear(const std::vector<DashRepresentation> &offered) {
  std::vector<const DashRepresentation *> clear;
  std::set<std::string> systems;
  for (const DashRepresentation &representation : offered)
    if (representation.protection.empty())
      clear.push_back(&representation);
    else
      systems.insert(representation.protection);
  if (!clear.empty())
    return clear;
  std::string names;
  for (const std::string &system : systems)
    names += (names.empty() ? "" : ", ") + system;
  return StreamFault("the stream is protected by DRM (" + names + "), which is not supported");
}

const DashRepresentation &Pick(const std::vector<const DashRepresentation *> &offered,
                               const Quality &quality) {
  std::vector<StreamCandidate> candidates;
  for (const DashRepresentation *representation : offered)
    candidates.push_back(
        {representation->width, representation->height, representation->bandwidth});
  return *offered.at(ChooseStream(candidates, quality));
}

// The audio of the main role, then of the language, then of the bandwidth the quality picks.
const DashRepresentation &PickAudio(std::vector<const DashRepresentation *> offered,
                                    const Quality &quality, std::string_view language) {
  const auto keep = [&](const auto &fits) {
    if (std::any_of(offered.begin(), offered.end(), fits))
      std::erase_if(offered, [&](const DashRepresentation *r) { return !fits(r); });
  };
  keep([](const DashRepresentation *r) { return r->main; });
  const std::string wanted = PrimaryLanguage(language);
  keep([&](const DashRepresentation *r) {
    return !wanted.empty() && PrimaryLanguage(r->track.language) == wanted;
  });
  const std::string first = PrimaryLanguage(offered.front()->track.language);
  keep([&](const DashRepresentation *r) { return PrimaryLanguage(r->track.language) == first; });
  return Pick(offered, quality.rule == Quality::Rule::Worst ? quality : Quality{});
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
          Protection(set, representation),
          MainRole(set, representation),
          {}};
      base::Outcome<StreamTrack> track =
          DashSegments({period, set, representation, base.Value(), found.id, found.bandwidth,
                        PeriodSeconds(mpd, period)},
                       budget);
      if (track.Failed())
        return track.Failure();
      found.track = std::move(track.Value());
      found.track.language = base::TrimBlanks(Either(representation, set, "lang"));
      (content == Content::Video ? manifest.video : manifest.audio).push_back(std::move(found));
    }
  }
  if (manifest.video.empty() && manifest.audio.empty())
    return StreamFault("the manifest lists no audio or video");
  return manifest;
}

base::Outcome<StreamPlan> ChooseDashStreams(const DashManifest &manifest, const Quality &quality,
                                            std::string_view language) {
  const auto trackOf = [](const DashRepresentation &representation) {
    StreamTrack track = representation.track;
    track.bitsPerSecond = representation.bandwidth;
    return track;
  };
  std::optional<StreamTrack> video, audio;
  if (!manifest.video.empty()) {
    base::Outcome<std::vector<const DashRepresentation *>> clear = Clear(manifest.video);
    if (clear.Failed())
      return clear.Failure();
    video = trackOf(Pick(clear.Value(), quality));
  }
  if (!manifest.audio.empty()) {
    base::Outcome<std::vector<const DashRepresentation *>> clear = Clear(manifest.audio);
    if (clear.Failed())
      return clear.Failure();
    audio = trackOf(PickAudio(std::move(clear.Value()), quality, language));
  }
  if (!video)
    return MakeStreamPlan(std::move(*audio), std::nullopt);
  return MakeStreamPlan(std::move(*video), std::move(audio));
}

} // namespace vidtrawl::manifests
