#pragma once

#include <string_view>
#include <vector>

namespace vidtrawl::sites {

// Pieces of an address's path and query, for the sites' page shapes.

// The non-empty segments of a path: "/a/b/" gives a and b.
std::vector<std::string_view> PathSegments(std::string_view path);

// A segment's name, ignoring ASCII letter case.
bool SegmentIs(std::string_view segment, std::string_view name);

// A segment longer than the ending that ends with it, ignoring ASCII letter case.
bool SegmentEndsWith(std::string_view segment, std::string_view ending);

// The value of a query parameter (its name compared ignoring ASCII letter
// case); empty when it is missing.
std::string_view QueryParameter(std::string_view query, std::string_view name);

// "/video/ID", the shape of many sites' video pages.
bool IsVideoAndId(std::string_view path);

} // namespace vidtrawl::sites
