#pragma once

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

} // namespace vidtrawl::base
