#include "base/AsciiCase.h"

#include <algorithm>

namespace vidtrawl::base {
namespace {

bool SameLetter(char a, char b) {
  return LowerAscii(a) == LowerAscii(b);
}

} // namespace

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char &c : lower)
    c = LowerAscii(c);
  return lower;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameLetter);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::size_t FindIgnoringCase(std::string_view text, std::string_view needle, std::size_t from) {
  if (from > text.size())
    return std::string_view::npos;
  const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                              needle.begin(), needle.end(), SameLetter);
  if (it == text.end() && !needle.empty())
    return std::string_view::npos;
  return static_cast<std::size_t>(it - text.begin());
}

} // namespace vidtrawl::base
