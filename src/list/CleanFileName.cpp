#include "list/CleanFileName.h"

#include <algorithm>

namespace vidtrawl::list {
namespace {

constexpr std::string_view kRemoved = "\\/:*?\"<>|&";

bool IsRemoved(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 32 || code == 127 || kRemoved.find(c) != std::string_view::npos;
}

} // namespace

std::string CleanFileName(std::string_view value) {
  std::string name;
  name.reserve(value.size());
  for (const char c : value)
    if (!IsRemoved(c))
      name += c;
  const bool usable =
      std::any_of(name.begin(), name.end(), [](char c) { return c != '.' && c != ' '; });
  return usable ? name : std::string(kEnterFileName);
}

} // namespace vidtrawl::list
