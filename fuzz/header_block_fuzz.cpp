// The transfer component's header reading: the raw block rebuilt line by
// line (limit taken from the first input byte), then read for its fields.
#include "FuzzCheck.h"
#include "net/HeaderBlock.h"
#include "net/RawHeaderBlock.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vidtrawl::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char *>(data), size);

  const HeaderFields direct = ReadHeaderBlock(text);
  if (direct.sizeState == HeaderFields::Size::Number)
    FUZZ_CHECK(!std::isnan(direct.fileSize));
  (void)ReadSizeValue(text);

  if (text.empty())
    return 0;
  const std::size_t limit = static_cast<unsigned char>(text.front()) * 16u;
  text.remove_prefix(1);
  RawHeaderBlock block(limit);
  std::size_t fed = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    block.AddLine(text.substr(0, length));
    fed += length;
    text.remove_prefix(length);
    FUZZ_CHECK(block.Block().size() <= limit);
    FUZZ_CHECK(!block.Overflowed() || block.Block().empty());
  }
  FUZZ_CHECK(block.TotalBytes() == fed);
  (void)ReadHeaderBlock(block.Block());
  return 0;
}
