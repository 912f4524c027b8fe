#pragma once

#include "engine/Engine.h"

#include <string>

namespace vidtrawl::cli {

// One JSON object per item, a line each, for scripts: "page" (the address
// added), "video" (the video file's, or null before it is known), "file"
// (the saved file's path, or null when none was saved), "status" (the
// status text, as in the table), "bytes" (the file's size once complete,
// else the bytes received) and "reason" (why it failed, or null). Names
// and addresses that are not UTF-8 have their stray bytes as U+FFFD.
std::string JsonLines(const std::vector<engine::ItemView> &items);

} // namespace vidtrawl::cli
