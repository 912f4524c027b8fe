#pragma once

#include "host/Pump.h"

#include <functional>

namespace vidtrawl::testing {

// A pump that counts its calls and runs an optional action at each one, so a
// test can stop, add or edit in the middle of a long operation.
class ScriptedPump final : public host::Pump {
public:
  void Yield() override {
    ++calls;
    if (action)
      action(calls);
  }
  long calls = 0;
  std::function<void(long call)> action;
};

} // namespace vidtrawl::testing
