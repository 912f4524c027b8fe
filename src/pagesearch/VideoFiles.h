#pragma once

#include "pagesearch/VideoProtocol.h"

#include <string_view>

namespace vidtrawl::pagesearch {

// Whether an address's path (its query and fragment aside) ends in the
// extension of a video file: .mp4, .m4v, .webm, .mkv, .mov, .avi, .flv,
// .wmv, .ogv, .3gp, .mpg or .mpeg, in any letter case.
bool NamesVideoFile(std::string_view address);

// Whether it names a streaming playlist (.m3u8 or .mpd) instead.
bool NamesStreamingPlaylist(std::string_view address);
// Whether it names a sound file (.mp3, .m4a, .aac, .oga, .ogg, .opus, .wav, .flac, .weba): never
// a page's video.
bool NamesAudioFile(std::string_view address);
// How the video an address names is fetched, by its name: an HLS playlist (.m3u8), a DASH
// manifest (.mpd), else a file.
VideoProtocol ProtocolOfAddress(std::string_view address);

// The extension of the file an address names, with its dot ("" for none).
std::string_view FileExtension(std::string_view address);

} // namespace vidtrawl::pagesearch
