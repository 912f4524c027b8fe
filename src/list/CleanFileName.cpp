#include "list/CleanFileName.h"

#include "base/ControlCharacters.h"

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
  while (!value.empty()) {
    // An invisible character would hide what the name really is (its
    // extension, behind a right-to-left override).
    if (const std::size_t invisible = base::InvisibleFormatLength(value)) {
      value.remove_prefix(invisible);
      continue;
    }
    if (!IsRemoved(value.front()))
      name += value.front();
    value.remove_prefix(1);
  }
  // A leading dot would hide the file (or name the folder itself, or its
  // parent); leading blanks only hide the dot.
  name.erase(0, name.find_first_not_of(". "));
  return name.empty() ? std::string(kEnterFileName) : name;
}

} // namespace vidtrawl::list
