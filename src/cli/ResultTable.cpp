#include "cli/ResultTable.h"

#include "base/ControlCharacters.h"
#include "cli/ConsoleText.h"
#include "cli/StatusKind.h"
#include "engine/Engine.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

namespace vidtrawl::cli {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kColumns = 5;
using Row = std::array<std::string, kColumns>;

// What the table shows as an item's size.
std::string SizeCell(const engine::DownloadItem &item, const std::string &downloadDir) {
  const StatusKind kind = KindOf(item.Status);
  if (kind != StatusKind::Complete && kind != StatusKind::Cancelled)
    return item.FileSize;
  std::error_code ec;
  const std::string file =
      kind == StatusKind::Cancelled ? item.FileName + engine::kPartialSuffix : item.FileName;
  const auto bytes = fs::file_size(fs::path(downloadDir) / file, ec);
  if (ec)
    return item.FileSize;
  const std::string received = engine::FormatSize(static_cast<double>(bytes));
  if (kind == StatusKind::Cancelled && engine::IsKnownSizeText(item.FileSize) &&
      received != item.FileSize)
    return received + " of " + item.FileSize;
  return received;
}

} // namespace

std::string TsvField(const std::string &text) {
  std::string field = text;
  for (char &c : field)
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  return base::VisibleText(field);
}

std::string TsvLines(const std::vector<engine::DownloadItem> &items) {
  std::string text;
  for (const engine::DownloadItem &item : items)
    text += std::to_string(item.ID) + "\t" + TsvField(item.Video_URL) + "\t" +
            TsvField(item.FileName) + "\t" + TsvField(item.Status) + "\t" +
            TsvField(item.FileSize) + "\n";
  return text;
}

std::string ResultTable(const std::vector<engine::DownloadItem> &items,
                        const std::string &downloadDir) {
  std::vector<Row> rows;
  rows.push_back({"ID", "STATUS", "FILE NAME", "SIZE", "ADDRESS"});
  for (const engine::DownloadItem &item : items)
    rows.push_back({std::to_string(item.ID), TsvField(item.Status), TsvField(item.FileName),
                    TsvField(SizeCell(item, downloadDir)), TsvField(item.Video_URL)});

  std::array<std::size_t, kColumns> widths{};
  for (const Row &row : rows)
    for (std::size_t c = 0; c < kColumns; ++c)
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));

  std::string text;
  for (const Row &row : rows) {
    std::string line = FitWidthRight(row[0], widths[0]);
    for (std::size_t c = 1; c < kColumns; ++c) {
      line += "  ";
      // Sizes line up on the right; the last column needs no padding.
      if (c == 3)
        line += FitWidthRight(row[c], widths[c]);
      else if (c + 1 == kColumns)
        line += row[c];
      else
        line += FitWidth(row[c], widths[c]);
    }
    text += line + "\n";
  }
  return text;
}

} // namespace vidtrawl::cli
