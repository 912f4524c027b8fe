#include "gui/SystemConnectivity.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace vidtrawl::gui {

bool SystemConnectivity::IsConnected() {
  if (loopbackSuffices_)
    return true;
  ifaddrs *list = nullptr;
  if (::getifaddrs(&list) != 0)
    return false;
  bool online = false;
  for (const ifaddrs *it = list; it && !online; it = it->ifa_next) {
    const unsigned flags = it->ifa_flags;
    online = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
  }
  ::freeifaddrs(list);
  return online;
}

} // namespace vidtrawl::gui
