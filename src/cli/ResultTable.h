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
std::string TsvLines(const std::vector<engine::DownloadItem> &items);

// The final table of every item (ID, status, file name, size, address) in
// aligned columns under a heading. Sizes of received files are read from
// the download folder: a file of unknown size shows what was received.
std::string ResultTable(const std::vector<engine::DownloadItem> &items,
                        const std::string &downloadDir);

} // namespace vidtrawl::cli
