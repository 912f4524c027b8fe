#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vidtrawl::resolve {

// The whole content of a fetched page file as bytes, one byte one character
// (NUL bytes kept, no decoding), at most kMaxPageBytes of it. Nothing when the file cannot be
// opened or read; a parser then gives empty text. Pages are read up to this size; a page fetch that
// grows beyond it is stopped (a video or an endless stream behind a page address).
inline constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;

std::optional<std::string> ReadPageFile(const std::filesystem::path &path);

} // namespace vidtrawl::resolve
