#include "media/SpanReader.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vidtrawl::media {
namespace {

// What one read asks of the file: large enough that a demuxer's reads are few.
constexpr int kBufferSize = 256 * 1024;

} // namespace

std::unique_ptr<SpanReader> SpanReader::Open(const TrackSource &source) {
  base::FileDescriptor fd(::open(source.file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd)
    return nullptr;
  std::vector<FileSpan> spans = source.spans;
  if (spans.empty()) {
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0)
      return nullptr;
    spans.push_back({0, static_cast<std::uint64_t>(info.st_size)});
  }
  std::unique_ptr<SpanReader> reader(new SpanReader(std::move(fd), std::move(spans)));
  auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
  if (buffer == nullptr)
    return nullptr;
  reader->context_ = avio_alloc_context(buffer, kBufferSize, 0, reader.get(), &SpanReader::Read,
                                        nullptr, &SpanReader::Seek);
  if (reader->context_ == nullptr) {
    av_free(buffer);
    return nullptr;
  }
  return reader;
}

SpanReader::SpanReader(base::FileDescriptor fd, std::vector<FileSpan> spans)
    : fd_(std::move(fd)), spans_(std::move(spans)) {
  starts_.reserve(spans_.size());
  for (const FileSpan &span : spans_) {
    starts_.push_back(length_);
    length_ += span.length;
  }
}

SpanReader::~SpanReader() {
  if (context_ != nullptr) {
    av_freep(&context_->buffer);
    avio_context_free(&context_);
  }
}

int SpanReader::Read(void *self, std::uint8_t *buffer, int size) {
  auto &reader = *static_cast<SpanReader *>(self);
  if (reader.position_ >= reader.length_ || size <= 0)
    return AVERROR_EOF;
  // The span the position lies in: the last that starts at or before it.
  const auto next =
      std::upper_bound(reader.starts_.begin(), reader.starts_.end(), reader.position_);
  const auto index = static_cast<std::size_t>(next - reader.starts_.begin() - 1);
  const FileSpan &span = reader.spans_[index];
  const std::uint64_t into = reader.position_ - reader.starts_[index];
  const std::uint64_t wanted =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(size), span.length - into);
  ssize_t got;
  do
    got = ::pread(reader.fd_.Get(), buffer, wanted, static_cast<off_t>(span.offset + into));
  while (got < 0 && errno == EINTR);
  if (got < 0)
    return AVERROR(errno);
  if (got == 0) // the file ends before its spans do
    return AVERROR_EOF;
  reader.position_ += static_cast<std::uint64_t>(got);
  return static_cast<int>(got);
}

std::int64_t SpanReader::Seek(void *self, std::int64_t offset, int whence) {
  auto &reader = *static_cast<SpanReader *>(self);
  const auto length = static_cast<std::int64_t>(reader.length_);
  whence &= ~AVSEEK_FORCE;
  if (whence == AVSEEK_SIZE)
    return length;
  std::int64_t from = 0;
  if (whence == SEEK_CUR)
    from = static_cast<std::int64_t>(reader.position_);
  else if (whence == SEEK_END)
    from = length;
  else if (whence != SEEK_SET)
    return AVERROR(EINVAL);
  if (offset > length - from || offset < -from) // outside the stream, overflow or not
    return AVERROR(EINVAL);
  reader.position_ = static_cast<std::uint64_t>(from + offset);
  return from + offset;
}

} // namespace vidtrawl::media
