#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::manifests {

// What a SegmentTemplate's identifiers stand for, for one segment.
struct DashTemplateValues {
  std::string_view representationId;
  std::uint64_t bandwidth = 0;
  std::uint64_t number = 0;
  std::uint64_t time = 0;
};

// The template's text with $RepresentationID$, $Bandwidth$, $Number$ and $Time$ replaced (the
// numbers with an optional width, "$Number%05d$") and "$$" made "$"; nothing for an unknown
// identifier, a malformed width or an unclosed "$".
std::optional<std::string> ExpandDashTemplate(std::string_view pattern,
                                              const DashTemplateValues &values);

} // namespace vidtrawl::manifests
