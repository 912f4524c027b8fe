#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vidtrawl::resolve {

// The whole content of a fetched page file as bytes, one byte one character
// (NUL bytes kept, no decoding). Nothing when the file cannot be opened or
// read; a parser then gives empty text.
std::optional<std::string> ReadPageFile(const std::filesystem::path &path);

} // namespace vidtrawl::resolve
