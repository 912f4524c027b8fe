#pragma once

#include "base/Outcome.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::media {

enum class Container { Mp4, Matroska };

// ".mp4" or ".mkv".
std::string_view ExtensionOf(Container container);
// Whether a file name's extension (".MP4", ".webm") says another container than the one written
// (`written`: its ExtensionOf): one of the MP4 family for Matroska, or the other way round.
bool ClaimsOtherContainer(std::string_view extension, std::string_view written);

// Bytes [offset, offset + length) of a file.
struct FileSpan {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;

  friend bool operator==(const FileSpan &, const FileSpan &) = default;
};

// Where a track's bytes are: a file, whole, or the spans of it that, read one after the other,
// make the track (its fragments, written where and when each arrived).
struct TrackSource {
  TrackSource(std::filesystem::path path) : file(std::move(path)) {}
  TrackSource(std::filesystem::path path, std::vector<FileSpan> parts)
      : file(std::move(path)), spans(std::move(parts)) {}

  std::filesystem::path file;
  std::vector<FileSpan> spans; // empty: the whole file
  std::string language;        // its playlist's tag (BCP 47), for its streams in the file
};

// Joins a stream's received tracks into one playable file without re-encoding: the video
// track's file and an optional separate audio track's file, each its init fragment and
// fragments as received (MPEG-TS, fragmented MP4, WebM...; timestamps that restart at
// discontinuities are mended). The file is MP4 when its codecs allow (H.264, HEVC, AV1, MPEG-4
// video; AAC, MP3, AC-3, E-AC-3 audio), else Matroska; each stream keeps its codec tag where
// the file's container knows it (HEVC's hvc1) and is tagged with its language (its
// container's, else its playlist's). The inputs may be anything: only media containers are read
// from them, and only they themselves.
//
// The work goes in steps so that a caller on an event loop can spread it over its turns, show
// its progress and stop it by dropping the object (the output is then incomplete). FFmpeg's
// libraries do it, loaded with the first remuxer (RemuxModule).
class Remuxer {
public:
  // Reads the inputs' headers and starts the output at `output` (made or replaced). Faults (kind
  // Remux): FFmpeg's libraries cannot be loaded, an input that cannot be read as media, no audio
  // or video in them, an output that cannot be written.
  static base::Outcome<std::unique_ptr<Remuxer>> Open(const TrackSource &video,
                                                      const std::optional<TrackSource> &audio,
                                                      const std::filesystem::path &output);
  virtual ~Remuxer() = default;

  virtual Container Output() const = 0;

  // Copies up to `packets` packets to the output; once the inputs are read, completes and
  // closes the file. True when the file is complete. A fault (kind Remux) when the output
  // cannot be written.
  virtual base::Outcome<bool> Step(std::size_t packets) = 0;
};

// Remuxer's work in one call.
base::Outcome<Container> Remux(const TrackSource &video, const std::optional<TrackSource> &audio,
                               const std::filesystem::path &output);

} // namespace vidtrawl::media
