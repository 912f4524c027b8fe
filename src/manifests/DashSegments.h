#pragma once

#include "base/Outcome.h"
#include "manifests/StreamPlan.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vidtrawl::manifests {

// A representation of a DASH manifest with the levels it inherits its segment information from
// (a SegmentTemplate's attribute on the innermost level that has it), outermost first.
struct DashRepresentationContext {
  pugi::xml_node period;
  pugi::xml_node adaptationSet;
  pugi::xml_node representation;
  std::string base; // its BaseURLs resolved in turn: the address its segments are relative to
  std::string_view id;
  std::uint64_t bandwidth = 0;
  double periodSeconds = 0; // 0: the manifest does not say
};

// The representation's segments, as its SegmentTemplate (numbered or timed, with or without a
// SegmentTimeline), SegmentList or else its BaseURL alone (one file; SegmentBase) gives them.
// At most `budget` segments are listed, and the budget is reduced by them: a manifest is text
// that can name billions. Faults (kind Stream) for a template, range or duration that cannot
// be read, and for more segments than the budget.
base::Outcome<StreamTrack> DashSegments(const DashRepresentationContext &context,
                                        std::size_t &budget);

} // namespace vidtrawl::manifests
