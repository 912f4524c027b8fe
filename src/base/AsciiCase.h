#pragma once

#include <string>
#include <string_view>

// Letter case of ASCII text. Host names, header names, schemes and page
// markers are ASCII: folding them never depends on the user's locale.
namespace vidtrawl::base {

constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether text begins with prefix, letters compared without regard to case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// The position of the first occurrence of needle in text at or after from,
// letters compared without regard to case; npos when there is none. An empty
// needle is found at from (when from is within the text).
std::size_t FindIgnoringCase(std::string_view text, std::string_view needle, std::size_t from = 0);

} // namespace vidtrawl::base
