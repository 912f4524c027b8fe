#pragma once

#include "base/FileDescriptor.h"
#include "media/Remuxer.h"

#include <cstdint>
#include <vector>

struct AVIOContext;

namespace vidtrawl::media {

// The demuxers' view of a track: its source's spans read as one stream, through an I/O context
// of FFmpeg's that seeks within them (a transport stream's probe and an MP4's boxes seek).
// Spans past the file's end read as its end.
class SpanReader {
public:
  // Nothing when the file cannot be opened for reading (errno says why).
  static std::unique_ptr<SpanReader> Open(const TrackSource &source);
  ~SpanReader();
  SpanReader(const SpanReader &) = delete;
  SpanReader &operator=(const SpanReader &) = delete;

  // The context to hand a demuxer (AVFormatContext::pb with AVFMT_FLAG_CUSTOM_IO); it lives as
  // long as the reader, which must outlive the demuxer.
  AVIOContext *Context() const { return context_; }

private:
  SpanReader(base::FileDescriptor fd, std::vector<FileSpan> spans);
  static int Read(void *self, std::uint8_t *buffer, int size);
  static std::int64_t Seek(void *self, std::int64_t offset, int whence);

  base::FileDescriptor fd_;
  std::vector<FileSpan> spans_;
  std::vector<std::uint64_t> starts_; // each span's first byte in the stream
  std::uint64_t length_ = 0;
  std::uint64_t position_ = 0;
  AVIOContext *context_ = nullptr;
};

} // namespace vidtrawl::media
