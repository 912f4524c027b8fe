#include "base/NameVariant.h"

namespace vidtrawl::base {

std::string NameVariant(const std::string &name, int n) {
  if (n <= 1)
    return name;
  const std::size_t dot = name.rfind('.');
  const std::size_t at = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, at) + " (" + std::to_string(n) + ")" + name.substr(at);
}

} // namespace vidtrawl::base
