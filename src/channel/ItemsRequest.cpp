#include "channel/ItemsRequest.h"

namespace vidtrawl::channel {
namespace {

void AppendBigEndian(std::string &bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<char>((value >> shift) & 0xff));
}

} // namespace

std::string ItemsRequest(const std::vector<HandedItem> &items) {
  const std::string text = ItemsJson(items);
  std::string bytes;
  AppendBigEndian(bytes, kItemsMagic);
  AppendBigEndian(bytes, static_cast<std::uint32_t>(text.size()));
  return bytes + text;
}

} // namespace vidtrawl::channel
