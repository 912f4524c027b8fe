// A fragment store's notes of any bytes: what the table takes from them lies within the file,
// its count of bytes is its parts', and new room begins after every part's and cut's.
#include "FuzzCheck.h"
#include "media/FragmentTable.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vidtrawl;
using media::FragmentTrack;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  // The first two bytes are the file's size in kilobytes; the rest are lines of notes.
  if (size < 2)
    return 0;
  const std::uint64_t fileSize = (data[0] << 8 | data[1]) * 1024ull;
  constexpr std::size_t kParts = 64;
  media::FragmentTable table({kParts, kParts}, fileSize);
  std::string_view text(reinterpret_cast<const char *>(data + 2), size - 2);
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;
       text.remove_prefix(end + 1))
    table.Take(text.substr(0, end));
  const std::uint64_t room = table.Reserve(1);
  std::uint64_t bytes = 0;
  for (const FragmentTrack track : {FragmentTrack::Video, FragmentTrack::Audio}) {
    for (const media::FileSpan &span : table.Spans(track, kParts)) {
      FUZZ_CHECK(span.offset <= fileSize && span.length <= fileSize - span.offset);
      FUZZ_CHECK(span.offset + span.length <= room);
    }
    for (std::size_t part = 0; part < kParts; ++part) {
      bytes += table.Length(track, part);
      if (const std::optional<media::FragmentCut> cut = table.CutShort(track, part)) {
        FUZZ_CHECK(!table.Has(track, part) && cut->taken > 0 && cut->taken <= cut->length);
        FUZZ_CHECK(cut->offset + cut->taken <= fileSize && cut->offset + cut->length <= room);
        FUZZ_CHECK(!cut->validator.empty());
      }
    }
  }
  FUZZ_CHECK(bytes == table.Bytes());
  return 0;
}
