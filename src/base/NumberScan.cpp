#include "base/NumberScan.h"

namespace vidtrawl::base {

namespace {
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
} // namespace

bool AllDigits(std::string_view text) {
  if (text.empty())
    return false;
  for (const char c : text)
    if (!IsDigit(c))
      return false;
  return true;
}

} // namespace vidtrawl::base
