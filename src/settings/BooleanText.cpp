#include "settings/BooleanText.h"

#include "base/AsciiCase.h"

namespace vidtrawl::settings {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number: [+-] digits [. digits] [(e|E) [+-] digits], with digits
// on at least one side of the point. Its value is zero exactly when every
// digit of the mantissa is zero.
std::optional<bool> NonZeroNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  std::size_t digits = 0;
  bool nonZero = false;
  auto mantissa = [&] {
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
      nonZero = nonZero || text[i] != '0';
  };
  mantissa();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa();
  }
  if (digits == 0)
    return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    std::size_t start = i;
    while (i < text.size() && IsDigit(text[i]))
      ++i;
    if (i == start)
      return std::nullopt;
  }
  if (i != text.size())
    return std::nullopt;
  return nonZero;
}

} // namespace

std::optional<bool> BooleanFromText(std::string_view text) {
  if (base::EqualsIgnoringCase(text, "true"))
    return true;
  if (base::EqualsIgnoringCase(text, "false"))
    return false;
  return NonZeroNumber(text);
}

} // namespace vidtrawl::settings
