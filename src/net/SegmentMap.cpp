#include "net/SegmentMap.h"

#include "base/NumberScan.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

// The most segments a map holds: more is no map of the program's.
constexpr std::size_t kMaxSegments = 4096;

} // namespace

SegmentMap SegmentMap::Split(std::uint64_t length, std::uint64_t have, int parts,
                             std::uint64_t smallest) {
  SegmentMap map;
  map.length_ = length;
  have = std::min(have, length);
  if (have > 0)
    map.segments_.push_back({0, have, have});
  const std::uint64_t rest = length - have;
  const std::uint64_t count =
      std::clamp<std::uint64_t>(rest / std::max<std::uint64_t>(smallest, 1), 1,
                                static_cast<std::uint64_t>(std::max(parts, 1)));
  for (std::uint64_t i = 0; i < count && rest > 0; ++i)
    map.segments_.push_back({have + rest * i / count, have + rest * (i + 1) / count, 0});
  return map;
}

std::optional<SegmentMap> SegmentMap::Read(std::string_view text, std::uint64_t length) {
  SegmentMap map;
  map.length_ = length;
  std::uint64_t covered = 0;
  while (!text.empty()) {
    const std::size_t comma = std::min(text.find(','), text.size());
    const std::string_view item = text.substr(0, comma);
    text.remove_prefix(std::min(comma + 1, text.size()));
    const std::size_t dash = item.find('-'), colon = item.find(':');
    if (dash == std::string_view::npos || colon == std::string_view::npos || colon < dash)
      return std::nullopt;
    const auto begin = base::ParseInteger<std::uint64_t>(item.substr(0, dash));
    const auto end = base::ParseInteger<std::uint64_t>(item.substr(dash + 1, colon - dash - 1));
    const auto done = base::ParseInteger<std::uint64_t>(item.substr(colon + 1));
    // The segments follow one another and cover the file exactly.
    if (!begin || !end || !done || *begin != covered || *end <= *begin || *end > length ||
        *done > *end - *begin || map.segments_.size() >= kMaxSegments)
      return std::nullopt;
    map.segments_.push_back({*begin, *end, *done});
    covered = *end;
  }
  if (covered != length || map.segments_.empty())
    return std::nullopt;
  return map;
}

std::string SegmentMap::Text() const {
  std::vector<Segment> ordered = segments_;
  std::sort(ordered.begin(), ordered.end(),
            [](const Segment &a, const Segment &b) { return a.begin < b.begin; });
  std::string text;
  for (const Segment &segment : ordered)
    text += (text.empty() ? "" : ",") + std::to_string(segment.begin) + "-" +
            std::to_string(segment.end) + ":" + std::to_string(segment.done);
  return text;
}

std::uint64_t SegmentMap::Received() const {
  std::uint64_t received = 0;
  for (const Segment &segment : segments_)
    received += segment.done;
  return received;
}

bool SegmentMap::Complete() const {
  return std::all_of(segments_.begin(), segments_.end(),
                     [](const Segment &segment) { return segment.Whole(); });
}

std::optional<std::size_t> SegmentMap::SplitLargest(std::uint64_t smallest) {
  const auto largest =
      std::max_element(segments_.begin(), segments_.end(),
                       [](const Segment &a, const Segment &b) { return a.Left() < b.Left(); });
  if (largest == segments_.end() || largest->Left() / 2 < std::max<std::uint64_t>(smallest, 1))
    return std::nullopt;
  const std::uint64_t middle = largest->Next() + largest->Left() / 2;
  const Segment second{middle, largest->end, 0};
  largest->end = middle;
  segments_.push_back(second); // at the end: the others keep their indices
  return segments_.size() - 1;
}

} // namespace vidtrawl::net
