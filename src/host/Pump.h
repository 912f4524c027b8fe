#pragma once

namespace vidtrawl::host {

// The host's message pump. A long operation (page fetch, transfer, list
// rebuild, redirect wait) runs synchronously and calls Yield between its
// steps so that the host can process pending events: a stop request, an add
// or an edit may therefore arrive in the middle of the operation.
class Pump {
public:
  virtual ~Pump() = default;
  virtual void Yield() = 0;
};

// A pump for hosts that have nothing to process (benchmarks, one-shot tools).
class NoopPump final : public Pump {
public:
  void Yield() override {}
};

} // namespace vidtrawl::host
