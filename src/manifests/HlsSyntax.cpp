#include "manifests/HlsSyntax.h"

#include "base/NumberScan.h"
#include "base/TrimBlanks.h"

namespace vidtrawl::manifests {

std::optional<std::vector<HlsLine>> ReadHlsLines(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) // a byte-order mark some servers write
    text.remove_prefix(3);
  if (!base::TrimBlanks(text).starts_with("#EXTM3U"))
    return std::nullopt;
  std::vector<HlsLine> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    const std::string_view line = base::TrimBlanks(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || (line.front() == '#' && !line.starts_with("#EXT")))
      continue;
    if (line.front() != '#') {
      lines.push_back({{}, line});
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
      lines.push_back({line.substr(1), {}});
    else
      lines.push_back({line.substr(1, colon - 1), line.substr(colon + 1)});
  }
  return lines;
}

HlsAttributes ParseHlsAttributes(std::string_view list) {
  HlsAttributes attributes;
  while (true) {
    list = base::TrimBlanks(list);
    const std::size_t equals = list.find('=');
    if (equals == std::string_view::npos || equals == 0)
      break;
    const std::string name(base::TrimBlanks(list.substr(0, equals)));
    list.remove_prefix(equals + 1);
    std::string_view value;
    if (list.starts_with('"')) {
      const std::size_t close = list.find('"', 1);
      if (close == std::string_view::npos)
        break;
      value = list.substr(1, close - 1);
      list.remove_prefix(close + 1);
    } else {
      value = base::TrimBlanks(list.substr(0, list.find(',')));
      list.remove_prefix(std::min(list.find(','), list.size()));
    }
    attributes.emplace(name, value);
    list = base::TrimBlanks(list);
    if (!list.starts_with(','))
      break;
    list.remove_prefix(1);
  }
  return attributes;
}

std::string_view Attribute(const HlsAttributes &attributes, std::string_view name) {
  const auto found = attributes.find(name);
  return found == attributes.end() ? std::string_view() : std::string_view(found->second);
}

std::optional<HlsByteRange> ParseHlsByteRange(std::string_view text) {
  const std::size_t at = text.find('@');
  HlsByteRange range;
  const auto length = base::ParseInteger<std::uint64_t>(base::TrimBlanks(text.substr(0, at)));
  if (!length || *length == 0)
    return std::nullopt;
  range.length = *length;
  if (at != std::string_view::npos) {
    range.offset = base::ParseInteger<std::uint64_t>(base::TrimBlanks(text.substr(at + 1)));
    if (!range.offset || *range.offset > UINT64_MAX - range.length)
      return std::nullopt;
  }
  return range;
}

} // namespace vidtrawl::manifests
