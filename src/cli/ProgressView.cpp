#include "cli/ProgressView.h"

namespace vidtrawl::cli {

std::string DisplayState(const ItemView &item) {
  if (item.kind == StatusKind::Preparing)
    return item.status;
  return std::string(KindName(item.kind));
}

} // namespace vidtrawl::cli
