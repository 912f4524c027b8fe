#pragma once

namespace vidtrawl::host {

// Whether the machine is online.
class Connectivity {
public:
  virtual ~Connectivity() = default;
  virtual bool IsConnected() = 0;
};

} // namespace vidtrawl::host
