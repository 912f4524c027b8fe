#include "base/ControlCharacters.h"

namespace vidtrawl::base {
namespace {

constexpr std::string_view kStandIn = "\xEF\xBF\xBD"; // U+FFFD

unsigned char Byte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

// The code point of a well-formed sequence of `length` bytes.
char32_t CodePoint(std::string_view sequence, std::size_t length) {
  if (length == 1)
    return Byte(sequence, 0);
  char32_t code = Byte(sequence, 0) & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i)
    code = (code << 6) | (Byte(sequence, i) & 0x3F);
  return code;
}

bool IsInvisibleFormat(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0xAD || c == 0x61C || c == 0x180E || c == 0x200B ||
         c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF9 && c <= 0xFFFB) || c == 0xE0001 || (c >= 0xE0020 && c <= 0xE007F);
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
  const unsigned char lead = Byte(text, 0);
  if (lead < 0x80)
    return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : low;
    high = lead == 0xED ? 0x9F : high;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : low;
    high = lead == 0xF4 ? 0x8F : high;
  } else {
    return 0;
  }
  if (text.size() < length || Byte(text, 1) < low || Byte(text, 1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i)
    if ((Byte(text, i) & 0xC0) != 0x80)
      return 0;
  return length;
}

std::size_t InvisibleFormatLength(std::string_view text) {
  if (text.empty())
    return 0;
  const std::size_t length = Utf8SequenceLength(text);
  return length > 1 && IsInvisibleFormat(CodePoint(text, length)) ? length : 0;
}

std::string VisibleText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    const std::string_view sequence = text.substr(0, length == 0 ? 1 : length);
    if (length == 0 || (length == 1 && IsControlCharacter(sequence[0])) ||
        InvisibleFormatLength(sequence) != 0)
      shown += kStandIn;
    else
      shown += sequence;
    text.remove_prefix(sequence.size());
  }
  return shown;
}

} // namespace vidtrawl::base
