#include "manifests/StreamChoice.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"
#include "base/TrimBlanks.h"

#include <tuple>

namespace vidtrawl::manifests {
namespace {

auto Rank(const StreamCandidate &candidate) {
  return std::tuple(static_cast<std::int64_t>(candidate.width) * candidate.height,
                    candidate.bitsPerSecond);
}

} // namespace

std::optional<Quality> ParseQuality(std::string_view text) {
  const std::string word = base::LowerAscii(base::TrimBlanks(text));
  if (word == "best")
    return Quality{};
  if (word == "worst")
    return Quality{Quality::Rule::Worst, 0};
  std::string_view digits = word;
  if (digits.ends_with('p'))
    digits.remove_suffix(1);
  const std::optional<int> height =
      base::AllDigits(digits) ? base::ParseInteger<int>(digits) : std::nullopt;
  if (!height || *height <= 0)
    return std::nullopt;
  return Quality{Quality::Rule::AtMost, *height};
}

std::size_t ChooseStream(std::span<const StreamCandidate> candidates, const Quality &quality) {
  std::optional<std::size_t> best, worst, fitting;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const StreamCandidate &candidate = candidates[i];
    if (!best || Rank(candidate) > Rank(candidates[*best]))
      best = i;
    if (!worst || Rank(candidate) < Rank(candidates[*worst]))
      worst = i;
    if (candidate.height <= quality.height &&
        (!fitting || Rank(candidate) > Rank(candidates[*fitting])))
      fitting = i;
  }
  switch (quality.rule) {
  case Quality::Rule::Best:
    break;
  case Quality::Rule::Worst:
    return worst.value_or(0);
  case Quality::Rule::AtMost:
    return fitting.value_or(worst.value_or(0));
  }
  return best.value_or(0);
}

} // namespace vidtrawl::manifests
