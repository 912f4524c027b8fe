#include "cli/ResultTable.h"

#include "base/ControlCharacters.h"
#include "cli/ConsoleText.h"
#include "engine/Engine.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vidtrawl::cli {
namespace {

constexpr std::size_t kColumns = 5;
using Row = std::array<std::string, kColumns>;

// What the table shows as an item's size.
std::string SizeCell(const engine::ItemView &item) {
  if (item.phase != engine::Phase::Cancelled)
    return engine::SizeText(item);
  const std::string received = engine::FormatSize(static_cast<double>(item.received));
  if (item.sizeKnown != engine::SizeKnown::Bytes)
    return received;
  return received + " of " + engine::SizeText(item);
}

} // namespace

std::string TsvField(const std::string &text) {
  std::string field = text;
  for (char &c : field)
    if (c == '\t' || c == '\n' || c == '\r')
      c = ' ';
  return base::VisibleText(field);
}

std::string FolderLine(const std::string &dir) {
  return base::VisibleText("The files are in " + dir + ".") + "\n";
}

std::string TsvLines(const std::vector<engine::ItemView> &items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const engine::ItemView &item = items[i];
    text += std::to_string(i + 1) + "\t" + TsvField(engine::AddressText(item)) + "\t" +
            TsvField(engine::FileNameText(item)) + "\t" + TsvField(engine::StatusText(item)) +
            "\t" + TsvField(engine::SizeText(item)) + "\n";
  }
  return text;
}

std::string ResultTable(const std::vector<engine::ItemView> &items) {
  std::vector<Row> rows;
  std::vector<std::string> reasons;
  rows.push_back({"ID", "STATUS", "FILE NAME", "SIZE", "ADDRESS"});
  reasons.emplace_back();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const engine::ItemView &item = items[i];
    rows.push_back({std::to_string(i + 1), TsvField(engine::StatusText(item)),
                    TsvField(engine::FileNameText(item)), TsvField(SizeCell(item)),
                    TsvField(engine::AddressText(item))});
    reasons.push_back(TsvField(engine::ReasonText(item)));
  }

  std::array<std::size_t, kColumns> widths{};
  for (const Row &row : rows)
    for (std::size_t c = 0; c < kColumns; ++c)
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));

  std::string text;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Row &row = rows[r];
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
    if (!reasons[r].empty())
      text += std::string(widths[0] + 2, ' ') + "why: " + reasons[r] + "\n";
  }
  return text;
}

} // namespace vidtrawl::cli
