#include "manifests/DashSegments.h"

#include "base/NumberScan.h"
#include "base/TrimBlanks.h"
#include "manifests/DashTemplate.h"
#include "manifests/StreamFault.h"
#include "net/WebAddress.h"

#include <array>
#include <cmath>

namespace vidtrawl::manifests {
namespace {

using Levels = std::array<pugi::xml_node, 3>; // innermost first

// The innermost `element` of the levels that has `attribute` (or, with `child`, that child).
pugi::xml_node Holder(const Levels &levels, const char *element, const char *attribute,
                      const char *child = nullptr) {
  for (const pugi::xml_node &level : levels) {
    const pugi::xml_node node = level.child(element);
    if (node &&
        (child ? static_cast<bool>(node.child(child)) : !attribute || node.attribute(attribute)))
      return node;
  }
  return {};
}

std::optional<std::uint64_t> Unsigned(const pugi::xml_node &node, const char *name) {
  return base::ParseInteger<std::uint64_t>(base::TrimBlanks(node.attribute(name).value()));
}

// An inherited number; `fallback` when no level states it, nothing when it is malformed.
std::optional<std::uint64_t> Inherited(const Levels &levels, const char *element,
                                       const char *attribute, std::uint64_t fallback) {
  const pugi::xml_node holder = Holder(levels, element, attribute);
  return holder ? Unsigned(holder, attribute) : fallback;
}

base::Fault Malformed(const char *what) {
  return StreamFault(std::string("the manifest gives a malformed ") + what);
}

// "first-last" of mediaRange and range.
std::optional<ByteRange> ParseRange(std::string_view text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos)
    return std::nullopt;
  const auto first = base::ParseInteger<std::uint64_t>(base::TrimBlanks(text.substr(0, dash)));
  const auto last = base::ParseInteger<std::uint64_t>(base::TrimBlanks(text.substr(dash + 1)));
  if (!first || !last || *last < *first || *last == UINT64_MAX)
    return std::nullopt;
  return ByteRange{*first, *last - *first + 1};
}

// Lists the fragments of one representation; each addition spends the budget.
class Listing {
public:
  Listing(const DashRepresentationContext &context, std::size_t &budget)
      : context_(context), budget_(budget) {}

  // A fragment at `reference` (empty: the base itself) with an optional "first-last" range.
  std::optional<base::Fault> Add(std::string_view reference, const char *range, double seconds,
                                 bool init = false) {
    if (!init && budget_-- == 0)
      return StreamFault("the manifest lists more segments than can be fetched");
    StreamFragment fragment;
    if (reference.empty())
      fragment.address = context_.base;
    else if (std::optional<std::string> resolved = net::ResolveWebAddress(context_.base, reference))
      fragment.address = std::move(*resolved);
    else
      return UnfetchableAddress(reference);
    if (range != nullptr && *range != '\0' && !(fragment.range = ParseRange(range)))
      return Malformed("byte range");
    fragment.seconds = seconds;
    if (init) {
      track_.init = std::move(fragment);
    } else {
      track_.seconds += seconds;
      track_.fragments.push_back(std::move(fragment));
    }
    return std::nullopt;
  }

  // A fragment of a template, for its number and time.
  std::optional<base::Fault> AddTemplated(std::string_view pattern, std::uint64_t number,
                                          std::uint64_t time, double seconds, bool init = false) {
    const std::optional<std::string> reference =
        ExpandDashTemplate(pattern, {context_.id, context_.bandwidth, number, time});
    if (!reference)
      return Malformed("segment template");
    return Add(*reference, nullptr, seconds, init);
  }

  // Refuses a count of segments beyond the budget before listing any of them.
  std::optional<base::Fault> Expect(double count) const {
    if (count > static_cast<double>(budget_))
      return StreamFault("the manifest lists more segments than can be fetched");
    return std::nullopt;
  }

  StreamTrack Take() { return std::move(track_); }

private:
  const DashRepresentationContext &context_;
  std::size_t &budget_;
  StreamTrack track_;
};

// The segments a SegmentTimeline lists: S elements of a duration d from time t (or the previous
// end), repeated r more times (r = -1: until the next S or the period's end).
std::optional<base::Fault> Timeline(const pugi::xml_node &timeline, std::string_view media,
                                    std::uint64_t number, std::uint64_t timescale,
                                    std::uint64_t periodEnd, Listing &listing) {
  std::uint64_t time = 0;
  for (pugi::xml_node s = timeline.child("S"); s; s = s.next_sibling("S")) {
    const std::optional<std::uint64_t> start = s.attribute("t") ? Unsigned(s, "t") : time;
    const std::optional<std::uint64_t> duration = Unsigned(s, "d");
    const auto repeat = base::ParseInteger<std::int64_t>(s.attribute("r").as_string("0"));
    if (!start || !duration || *duration == 0 || !repeat || *repeat < -1)
      return Malformed("segment timeline");
    time = *start;
    std::uint64_t count = static_cast<std::uint64_t>(*repeat) + 1;
    if (*repeat == -1) {
      const pugi::xml_node next = s.next_sibling("S");
      const std::uint64_t end = next.attribute("t") ? Unsigned(next, "t").value_or(0) : periodEnd;
      count = end > time ? (end - time) / *duration + ((end - time) % *duration != 0) : 0;
    }
    if (auto fault = listing.Expect(static_cast<double>(count)))
      return fault;
    for (std::uint64_t i = 0; i < count; ++i, ++number) {
      if (std::optional<base::Fault> fault = listing.AddTemplated(
              media, number, time, static_cast<double>(*duration) / static_cast<double>(timescale)))
        return fault;
      if (time > UINT64_MAX - *duration)
        return Malformed("segment timeline");
      time += *duration;
    }
  }
  return std::nullopt;
}

std::optional<base::Fault>
FromTemplate(const Levels &levels, const DashRepresentationContext &context, Listing &listing) {
  const char *kElement = "SegmentTemplate";
  const pugi::xml_node media = Holder(levels, kElement, "media");
  const std::optional<std::uint64_t> timescale = Inherited(levels, kElement, "timescale", 1);
  const std::optional<std::uint64_t> start = Inherited(levels, kElement, "startNumber", 1);
  const std::optional<std::uint64_t> offset =
      Inherited(levels, kElement, "presentationTimeOffset", 0);
  if (!media || !timescale || *timescale == 0 || !start || !offset)
    return Malformed("segment template");
  const std::string_view pattern = media.attribute("media").value();
  if (const pugi::xml_node init = Holder(levels, kElement, "initialization"))
    if (auto fault =
            listing.AddTemplated(init.attribute("initialization").value(), *start, 0, 0, true))
      return fault;
  if (const pugi::xml_node init = Holder(levels, kElement, nullptr, "Initialization"))
    if (auto fault = listing.Add(init.child("Initialization").attribute("sourceURL").value(),
                                 init.child("Initialization").attribute("range").value(), 0, true))
      return fault;
  const double scaledPeriod = context.periodSeconds * static_cast<double>(*timescale);
  if (const pugi::xml_node holder = Holder(levels, kElement, nullptr, "SegmentTimeline"))
    return Timeline(holder.child("SegmentTimeline"), pattern, *start, *timescale,
                    *offset + static_cast<std::uint64_t>(std::min(scaledPeriod, 1e18)), listing);
  // Numbered segments of one duration fill the period; the last may be shorter.
  const std::optional<std::uint64_t> duration = Inherited(levels, kElement, "duration", 0);
  if (!duration || *duration == 0)
    return Malformed("segment template");
  if (context.periodSeconds <= 0)
    return StreamFault("the manifest states no duration for its segments to fill");
  const double count = std::ceil(scaledPeriod / static_cast<double>(*duration) - 1e-9);
  const double seconds = static_cast<double>(*duration) / static_cast<double>(*timescale);
  if (auto fault = listing.Expect(count))
    return fault;
  for (std::uint64_t i = 0; i < count; ++i) {
    const double left = context.periodSeconds - static_cast<double>(i) * seconds;
    if (auto fault = listing.AddTemplated(pattern, *start + i, *offset + i * *duration,
                                          std::min(seconds, left)))
      return fault;
  }
  return std::nullopt;
}

std::optional<base::Fault> FromList(const Levels &levels, const DashRepresentationContext &context,
                                    Listing &listing) {
  const char *kElement = "SegmentList";
  const std::optional<std::uint64_t> timescale = Inherited(levels, kElement, "timescale", 1);
  const std::optional<std::uint64_t> duration = Inherited(levels, kElement, "duration", 0);
  if (!timescale || *timescale == 0 || !duration)
    return Malformed("segment list");
  if (const pugi::xml_node holder = Holder(levels, kElement, nullptr, "Initialization")) {
    const pugi::xml_node init = holder.child("Initialization");
    if (auto fault = listing.Add(init.attribute("sourceURL").value(),
                                 init.attribute("range").value(), 0, true))
      return fault;
  }
  const pugi::xml_node list = Holder(levels, kElement, nullptr, "SegmentURL");
  const auto urls = list.children("SegmentURL");
  const auto count = static_cast<double>(std::distance(urls.begin(), urls.end()));
  const double seconds = *duration > 0
                             ? static_cast<double>(*duration) / static_cast<double>(*timescale)
                             : context.periodSeconds / std::max(count, 1.0);
  for (const pugi::xml_node &url : urls)
    if (auto fault = listing.Add(url.attribute("media").value(),
                                 url.attribute("mediaRange").value(), seconds))
      return fault;
  return std::nullopt;
}

} // namespace

base::Outcome<StreamTrack> DashSegments(const DashRepresentationContext &context,
                                        std::size_t &budget) {
  const Levels levels{context.representation, context.adaptationSet, context.period};
  Listing listing(context, budget);
  std::optional<base::Fault> fault;
  if (Holder(levels, "SegmentTemplate", nullptr))
    fault = FromTemplate(levels, context, listing);
  else if (Holder(levels, "SegmentList", nullptr))
    fault = FromList(levels, context, listing);
  else // one file: SegmentBase, or the BaseURL alone
    fault = listing.Add({}, nullptr, context.periodSeconds);
  if (fault)
    return *fault;
  StreamTrack track = listing.Take();
  if (track.fragments.empty())
    return StreamFault("the manifest lists no segment");
  return track;
}

} // namespace vidtrawl::manifests
