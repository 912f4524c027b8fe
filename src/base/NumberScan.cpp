#include "base/NumberScan.h"

namespace vidtrawl::base {

namespace {
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
} // namespace

std::optional<long long> LeadingDigits(std::string_view text, long long cap) {
  if (text.empty() || !IsDigit(text.front()))
    return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (!IsDigit(c))
      break;
    value = value * 10 + (c - '0');
    if (value >= cap)
      return cap;
  }
  return value;
}

bool AllDigits(std::string_view text) {
  if (text.empty())
    return false;
  for (const char c : text)
    if (!IsDigit(c))
      return false;
  return true;
}

} // namespace vidtrawl::base
