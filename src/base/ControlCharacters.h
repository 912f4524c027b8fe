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

// Text from a page or a server as it may be shown to a user or written for
// a script: every control character (C0, DEL, and the C1 range U+0080 to
// U+009F) and every byte that is not part of well-formed UTF-8 becomes
// U+FFFD. A terminal acts on those (an escape sequence can retitle or clear
// it, a stray 0x9B is a CSI to an 8-bit terminal), where it should only show
// text. U+FFFD rather than '?': a '?' reads as part of an address's query,
// and U+FFFD is what a UTF-8 terminal shows for a broken byte anyway. Valid
// UTF-8 is kept whatever the locale, so that the same text gives the same
// output for scripts.
std::string VisibleText(std::string_view text);

} // namespace vidtrawl::base
