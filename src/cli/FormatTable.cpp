#include "cli/FormatTable.h"

#include "cli/ConsoleText.h"
#include "cli/ResultTable.h"
#include "engine/FormatSize.h"

#include <algorithm>
#include <array>

namespace vidtrawl::cli {
namespace {

constexpr std::size_t kColumns = 7;
using Row = std::array<std::string, kColumns>;

std::string Resolution(const engine::Format &format) {
  if (format.audioOnly)
    return "audio only";
  if (format.width > 0 && format.height > 0)
    return std::to_string(format.width) + "x" + std::to_string(format.height);
  return format.height > 0 ? std::to_string(format.height) + "p" : "unknown";
}

std::string Bitrate(std::uint64_t bitsPerSecond) {
  if (bitsPerSecond == 0)
    return {};
  if (bitsPerSecond < 1000000)
    return std::to_string(bitsPerSecond / 1000) + " kb/s";
  const std::uint64_t tenths = (bitsPerSecond + 50000) / 100000;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " Mb/s";
}

} // namespace

std::string FormatTable(const std::string &address, const engine::FormatList &list) {
  std::string text = "Formats of " + TsvField(address) +
                     (list.title.empty() ? std::string() : " (" + TsvField(list.title) + ")") +
                     ":\n";
  std::vector<Row> rows{{"ID", "EXT", "RESOLUTION", "TYPE", "BITRATE", "SIZE", ""}};
  for (const engine::Format &format : list.formats)
    rows.push_back({TsvField(format.id), TsvField(format.extension), Resolution(format),
                    TsvField(format.protocol), Bitrate(format.bitsPerSecond),
                    format.size ? engine::FormatSize(static_cast<double>(*format.size)) : "",
                    format.chosen ? "*" : ""});
  std::array<std::size_t, kColumns> widths{};
  for (const Row &row : rows)
    for (std::size_t c = 0; c < kColumns; ++c)
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  for (const Row &row : rows) {
    std::string line;
    for (std::size_t c = 0; c < kColumns; ++c)
      line += (c == 0 ? "" : "  ") +
              (c == 4 || c == 5 ? FitWidthRight(row[c], widths[c]) : FitWidth(row[c], widths[c]));
    text += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  }
  return text;
}

} // namespace vidtrawl::cli
