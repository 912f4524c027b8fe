#include "list/TargetNames.h"

#include "list/DownloadList.h"

namespace vidtrawl::list {

std::string NameVariant(const std::string &name, int n) {
  const std::size_t dot = name.rfind('.');
  const std::size_t at = dot == std::string::npos || dot == 0 ? name.size() : dot;
  return name.substr(0, at) + " (" + std::to_string(n) + ")" + name.substr(at);
}

void TargetNames::Clear() {
  completed_.clear();
  lastVariant_.clear();
}

bool TargetNames::Taken(const std::string &name, std::size_t ownCount) const {
  return items_.CountOfFileName(name) > ownCount || completed_.count(name) != 0;
}

std::string TargetNames::NameFor(std::size_t index) {
  const std::string &name = items_[index].FileName;
  if (!Taken(name, 1))
    return name;
  int &last = lastVariant_.try_emplace(name, 1).first->second;
  for (;;) {
    std::string variant = NameVariant(name, ++last);
    if (!Taken(variant, 0))
      return variant;
  }
}

} // namespace vidtrawl::list
