#include "manifests/DashTemplate.h"

#include "base/NumberScan.h"

namespace vidtrawl::manifests {
namespace {

// A number as "%0<width>d" writes it (ISO/IEC 23009-1, 5.3.9.4.4: the only format allowed).
std::optional<std::string> Formatted(std::uint64_t value, std::string_view format) {
  std::string digits = std::to_string(value);
  if (format.empty())
    return digits;
  constexpr std::size_t kWidest = 32; // a hostile width would only make long addresses
  if (!format.starts_with('%') ||
      !(format.ends_with('d') || format.ends_with('i') || format.ends_with('u')))
    return std::nullopt;
  format = format.substr(1, format.size() - 2);
  if (format.starts_with('0'))
    format.remove_prefix(1);
  const std::optional<std::size_t> width =
      format.empty() ? std::optional<std::size_t>(0) : base::ParseInteger<std::size_t>(format);
  if (!width || *width > kWidest)
    return std::nullopt;
  if (digits.size() < *width)
    digits.insert(0, *width - digits.size(), '0');
  return digits;
}

} // namespace

std::optional<std::string> ExpandDashTemplate(std::string_view pattern,
                                              const DashTemplateValues &values) {
  std::string out;
  while (!pattern.empty()) {
    const std::size_t open = pattern.find('$');
    out.append(pattern.substr(0, open));
    if (open == std::string_view::npos)
      break;
    const std::size_t close = pattern.find('$', open + 1);
    if (close == std::string_view::npos)
      return std::nullopt;
    const std::string_view identifier = pattern.substr(open + 1, close - open - 1);
    pattern.remove_prefix(close + 1);
    const std::size_t percent = identifier.find('%');
    const std::string_view name = identifier.substr(0, percent);
    const std::string_view format =
        percent == std::string_view::npos ? std::string_view() : identifier.substr(percent);
    std::optional<std::string> text;
    if (identifier.empty())
      text = "$";
    else if (name == "RepresentationID" && format.empty())
      text = std::string(values.representationId);
    else if (name == "Bandwidth")
      text = Formatted(values.bandwidth, format);
    else if (name == "Number")
      text = Formatted(values.number, format);
    else if (name == "Time")
      text = Formatted(values.time, format);
    if (!text)
      return std::nullopt;
    out += *text;
  }
  return out;
}

} // namespace vidtrawl::manifests
