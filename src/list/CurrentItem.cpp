#include "list/CurrentItem.h"

#include "list/DownloadList.h"

namespace vidtrawl::list {

void CurrentItem::Set(const DownloadList &items, std::size_t index) {
  serial_ = items.SerialAt(index);
}

void CurrentItem::Clear() {
  serial_ = 0;
  row_.reset();
}

std::optional<std::size_t> CurrentItem::Find(const DownloadList &items) const {
  if (serial_ == 0)
    return std::nullopt;
  return items.IndexOfSerial(serial_);
}

} // namespace vidtrawl::list
