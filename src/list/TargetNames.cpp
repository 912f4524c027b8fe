#include "list/TargetNames.h"

#include "base/NameVariant.h"
#include "list/DownloadList.h"

namespace vidtrawl::list {

void TargetNames::Clear() {
  completed_.clear();
  lastVariant_.clear();
}

bool TargetNames::Taken(const std::string &name, std::size_t ownCount) const {
  return items_.CountOfFileName(name) > ownCount || completed_.count(name) != 0;
}

std::string TargetNames::NameFor(std::size_t index, const std::string &name,
                                 const std::function<bool(const std::string &)> &inFolder) {
  // The item's own name, when it has it already, is no other's.
  const std::size_t own = items_[index].fileName == name ? 1 : 0;
  if (!Taken(name, own) && !inFolder(name))
    return name;
  int &last = lastVariant_.try_emplace(name, 1).first->second;
  for (;;) {
    std::string variant = base::NameVariant(name, ++last);
    if (!Taken(variant, 0) && !inFolder(variant))
      return variant;
  }
}

} // namespace vidtrawl::list
