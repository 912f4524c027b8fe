#pragma once

#include "gui/DesktopHosts.h"

namespace vidtrawl::gui {

// Online when a network interface other than loopback is up and running.
class SystemConnectivity final : public Connectivity {
public:
  bool IsConnected() override;
};

} // namespace vidtrawl::gui
