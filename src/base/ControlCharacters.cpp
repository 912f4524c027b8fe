#include "base/ControlCharacters.h"

namespace vidtrawl::base {
namespace {

constexpr std::string_view kStandIn = "\xEF\xBF\xBD"; // U+FFFD

unsigned char Byte(std::string_view text, std::size_t at) {
  return static_cast<unsigned char>(text[at]);
}

// The length of the well-formed UTF-8 sequence that text starts with (the
// table of well-formed byte sequences of the Unicode standard: no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t SequenceLength(std::string_view text) {
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

// A C1 control: U+0080 to U+009F, written C2 80 to C2 9F.
bool IsC1(std::string_view sequence) {
  return sequence.size() == 2 && Byte(sequence, 0) == 0xC2 && Byte(sequence, 1) <= 0x9F;
}

} // namespace

std::string VisibleText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = SequenceLength(text);
    const std::string_view sequence = text.substr(0, length == 0 ? 1 : length);
    if (length == 0 || IsC1(sequence) || (length == 1 && IsControlCharacter(sequence[0])))
      shown += kStandIn;
    else
      shown += sequence;
    text.remove_prefix(sequence.size());
  }
  return shown;
}

} // namespace vidtrawl::base
