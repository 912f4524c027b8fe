#pragma once

#include "engine/Engine.h"

#include <string>

namespace vidtrawl::cli {

// A field for a tab-separated line or the table: tabs and line breaks become
// blanks, so that every record stays one line of the same number of fields,
// and other control characters a visible stand-in (base::VisibleText).
std::string TsvField(const std::string &text);

// One line per item: ID, Video_URL, FileName, Status, FileSize, separated
// by tabs, each line ended by "\n".
std::string TsvLines(const std::vector<engine::ItemView> &items);

// Where the files of the run go: "The files are in DIR."
std::string FolderLine(const std::string &dir);

// The final table of every item (ID, status, file name, size, address) in
// aligned columns under a heading; a failed item's reason on a line of its
// own below it. A cancelled item shows what was received of what was
// announced ("1.2 MB of 4 MB").
std::string ResultTable(const std::vector<engine::ItemView> &items);

} // namespace vidtrawl::cli
