#include "base/NameVariant.h"

namespace vidtrawl::base {

std::string NameVariant(const std::string &name, int n) {
  if (n <= 1)
    return name;
  // The number goes before the extension of the name's last part, never into a folder's.
  const std::size_t slash = name.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = name.rfind('.');
  const std::size_t at = dot == std::string::npos || dot <= start ? name.size() : dot;
  return name.substr(0, at) + " (" + std::to_string(n) + ")" + name.substr(at);
}

} // namespace vidtrawl::base
