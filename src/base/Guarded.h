#pragma once

// Runs one step of an operation that goes on when a step fails: whatever
// the step throws is swallowed and the caller's next step runs.
namespace vidtrawl::base {

template <typename Step> void Guarded(Step &&step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

} // namespace vidtrawl::base
