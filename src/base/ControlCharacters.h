#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::base {

// A C0 control character or DEL: a byte that breaks a request line, a header
// or a terminal line apart.
constexpr bool IsControlCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7f;
}

constexpr bool HasControlCharacter(std::string_view text) {
  for (const char c : text)
    if (IsControlCharacter(c))
      return true;
  return false;
}

// The length of the well-formed UTF-8 sequence that text starts with (the
// table of well-formed byte sequences of the Unicode standard: no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text);

// The length of the UTF-8 sequence `text` starts with when that is an
// invisible character that changes how text around it reads: a C1 control
// (U+0080 to U+009F), a bidirectional control (U+061C, U+200E, U+200F,
// U+202A to U+202E, U+2066 to U+2069) or another invisible format character
// (U+00AD, U+180E, U+200B, U+2060 to U+2064, U+206A to U+206F, U+FEFF,
// U+FFF9 to U+FFFB, the tags U+E0001 and U+E0020 to U+E007F); else 0.
// U+200C and U+200D are not among them: scripts and emoji need them.
// "clip\u202Evlf.exe" reads as "clipexe.flv" on screen.
std::size_t InvisibleFormatLength(std::string_view text);

// Text from a page or a server as it may be shown to a user or written for
// a script: every control character (C0, DEL, and the C1 range U+0080 to
// U+009F), every invisible format character above and every byte that is
// not part of well-formed UTF-8 becomes U+FFFD. A terminal acts on those (an escape sequence can
// retitle or clear it, a stray 0x9B is a CSI to an 8-bit terminal), where it should only show text.
// U+FFFD rather than '?': a '?' reads as part of an address's query, and U+FFFD is what a UTF-8
// terminal shows for a broken byte anyway. Valid UTF-8 is kept whatever the locale, so that the
// same text gives the same output for scripts.
std::string VisibleText(std::string_view text);

} // namespace vidtrawl::base
