#pragma once

#include <cstddef>
#include <string_view>

namespace vidtrawl::transfer {

// Whether text begins with prefix, letters compared without regard to ASCII
// case; prefix is given in lower case.
inline bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size())
    return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    if (c != lowerPrefix[i])
      return false;
  }
  return true;
}

} // namespace vidtrawl::transfer
