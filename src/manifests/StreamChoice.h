#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vidtrawl::manifests {

// Which of a stream's qualities to download.
struct Quality {
  enum class Rule { Best, Worst, AtMost };
  Rule rule = Rule::Best;
  int height = 0; // AtMost: the best not taller than this; the smallest when none is that small

  friend bool operator==(const Quality &, const Quality &) = default;
};

// What ParseQuality takes, for a front end's message about text it refused.
inline constexpr std::string_view kQualityForms = "best, worst or a height such as 720 or 720p";

// The user's text ("best", "worst", "720", "720p"; any letter case, blanks around); nothing for
// anything else.
std::optional<Quality> ParseQuality(std::string_view text);

// One quality a playlist offers; 0 for what it does not state.
struct StreamCandidate {
  int width = 0;
  int height = 0;
  std::uint64_t bitsPerSecond = 0;
};

// The index of the candidate the quality picks: ranked by resolution (pixels), then bandwidth.
// Candidates must not be empty.
std::size_t ChooseStream(std::span<const StreamCandidate> candidates, const Quality &quality);

} // namespace vidtrawl::manifests
