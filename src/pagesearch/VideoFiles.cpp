#include "pagesearch/VideoFiles.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <array>

namespace vidtrawl::pagesearch {
namespace {

constexpr std::array<std::string_view, 12> kVideoExtensions{".mp4", ".m4v", ".webm", ".mkv",
                                                            ".mov", ".avi", ".flv",  ".wmv",
                                                            ".ogv", ".3gp", ".mpg",  ".mpeg"};
constexpr std::array<std::string_view, 2> kPlaylistExtensions{".m3u8", ".mpd"};
constexpr std::array<std::string_view, 9> kAudioExtensions{".mp3",  ".m4a", ".aac",  ".oga", ".ogg",
                                                           ".opus", ".wav", ".flac", ".weba"};

// The path of an address: from after the host to the query or fragment.
std::string_view PathOf(std::string_view address) {
  address = address.substr(0, std::min(address.find_first_of("?#"), address.size()));
  if (const std::size_t scheme = address.find("://"); scheme != std::string_view::npos) {
    address.remove_prefix(scheme + 3);
    address.remove_prefix(std::min(address.find('/'), address.size()));
  }
  return address;
}

template <std::size_t N>
bool EndsWithOneOf(std::string_view address, const std::array<std::string_view, N> &endings) {
  const std::string_view extension = FileExtension(address);
  return std::any_of(endings.begin(), endings.end(), [&](std::string_view ending) {
    return base::EqualsIgnoringCase(extension, ending);
  });
}

} // namespace

std::string_view FileExtension(std::string_view address) {
  const std::string_view path = PathOf(address);
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

bool NamesVideoFile(std::string_view address) {
  return EndsWithOneOf(address, kVideoExtensions);
}

bool NamesStreamingPlaylist(std::string_view address) {
  return EndsWithOneOf(address, kPlaylistExtensions);
}

bool NamesAudioFile(std::string_view address) {
  return EndsWithOneOf(address, kAudioExtensions);
}

VideoProtocol ProtocolOfAddress(std::string_view address) {
  if (!NamesStreamingPlaylist(address))
    return VideoProtocol::File;
  return base::EqualsIgnoringCase(FileExtension(address), ".mpd") ? VideoProtocol::Dash
                                                                  : VideoProtocol::Hls;
}

} // namespace vidtrawl::pagesearch
