#pragma once

#include "host/Connectivity.h"

namespace vidtrawl::host {

// Online when a network interface other than loopback is up and running.
class SystemConnectivity final : public host::Connectivity {
public:
  bool IsConnected() override;
};

} // namespace vidtrawl::host
