#include "cli/ProgressView.h"

#include "engine/Engine.h"

namespace vidtrawl::cli {

std::string DisplayName(const ItemView &item) {
  if (item.kind == StatusKind::Unsupported || item.fileName.empty() ||
      engine::IsFileNamePlaceholder(item.fileName))
    return item.url;
  return item.fileName;
}

std::string DisplayState(const ItemView &item) {
  if (item.kind == StatusKind::Preparing || item.kind == StatusKind::Other)
    return item.status;
  return std::string(KindName(item.kind));
}

} // namespace vidtrawl::cli
