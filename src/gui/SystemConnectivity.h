#pragma once

#include "engine/Engine.h"
#include "gui/DesktopHosts.h"

namespace vidtrawl::gui {

// Online when a network interface other than loopback is up and running, or
// when the connections all go to loopback anyway (a local mirror of the sites,
// VIDTRAWL_CONNECT_TO=::127.0.0.1:8080): a machine with loopback alone is
// offline for every other download.
class SystemConnectivity final : public Connectivity {
public:
  explicit SystemConnectivity(const std::vector<std::string> &connectTo)
      : loopbackSuffices_(engine::ConnectToLoopbackOnly(connectTo)) {}
  bool IsConnected() override;

private:
  bool loopbackSuffices_;
};

} // namespace vidtrawl::gui
