#pragma once

#include "net/FileInfoRequest.h"

#include <cstddef>
#include <string>

namespace vidtrawl::list {

// The longest local file names, in bytes (YouTube's are shorter).
inline constexpr std::size_t kMaxNameLength = 100;
inline constexpr std::size_t kMaxYoutubeNameLength = 35;

// The local file name of a video: the name its server offers, else the last
// part of its address (which wins anyway for an address ending in ".flv" or
// ".wmv"); ".flv" added for the sites that serve Flash video under other
// names; cleaned (CleanFileName), then cut to its length at a character
// boundary, keeping the extension.
std::string NameOfVideo(const net::RemoteFile &file, const std::string &videoAddress, int site);

} // namespace vidtrawl::list
