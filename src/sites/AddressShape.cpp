#include "sites/AddressShape.h"

#include "base/AsciiCase.h"

#include <algorithm>

namespace vidtrawl::sites {

std::vector<std::string_view> PathSegments(std::string_view path) {
  std::vector<std::string_view> segments;
  while (!path.empty()) {
    const std::size_t slash = std::min(path.find('/'), path.size());
    if (slash > 0)
      segments.push_back(path.substr(0, slash));
    path.remove_prefix(std::min(slash + 1, path.size()));
  }
  return segments;
}

bool SegmentIs(std::string_view segment, std::string_view name) {
  return base::EqualsIgnoringCase(segment, name);
}

bool SegmentEndsWith(std::string_view segment, std::string_view ending) {
  return segment.size() > ending.size() &&
         SegmentIs(segment.substr(segment.size() - ending.size()), ending);
}

std::string_view QueryParameter(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t amp = std::min(query.find('&'), query.size());
    const std::string_view pair = query.substr(0, amp);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && SegmentIs(pair.substr(0, equals), name))
      return pair.substr(equals + 1);
    query.remove_prefix(std::min(amp + 1, query.size()));
  }
  return {};
}

bool IsVideoAndId(std::string_view path) {
  const std::vector<std::string_view> s = PathSegments(path);
  return s.size() == 2 && SegmentIs(s[0], "video");
}

} // namespace vidtrawl::sites
