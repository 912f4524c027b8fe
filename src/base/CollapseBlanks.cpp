#include "base/CollapseBlanks.h"

#include <cctype>

namespace vidtrawl::base {

std::string CollapseBlanks(std::string_view text) {
  std::string out;
  bool blank = false;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = !out.empty();
      continue;
    }
    if (blank)
      out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

} // namespace vidtrawl::base
