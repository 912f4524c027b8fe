#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of an HLS playlist as RFC 8216 writes it: lines of tags and addresses, and the
// attribute lists of tags.
namespace vidtrawl::manifests {

struct HlsLine {
  std::string_view tag;   // "EXTINF", "EXT-X-KEY"...; empty for an address line
  std::string_view value; // after the tag's ':'; the address itself
};

// The lines that carry something (tags and addresses; no blank line, no comment), without their
// surrounding blanks; nothing when the text does not begin with #EXTM3U.
std::optional<std::vector<HlsLine>> ReadHlsLines(std::string_view text);

// NAME=VALUE pairs separated by commas, a VALUE quoted when it may hold commas; quotes removed.
// The first of a repeated name counts; reading stops at the first pair that is no pair.
using HlsAttributes = std::map<std::string, std::string, std::less<>>;
HlsAttributes ParseHlsAttributes(std::string_view list);

// The attribute's text; empty when it is missing.
std::string_view Attribute(const HlsAttributes &attributes, std::string_view name);

// "<length>[@<offset>]" of EXT-X-BYTERANGE and EXT-X-MAP's BYTERANGE; nothing when malformed.
struct HlsByteRange {
  std::uint64_t length = 0;
  std::optional<std::uint64_t> offset;
};
std::optional<HlsByteRange> ParseHlsByteRange(std::string_view text);

} // namespace vidtrawl::manifests
