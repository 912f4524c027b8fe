#pragma once

#include "base/Outcome.h"
#include "engine/PollLoop.h"

#include <chrono>
#include <functional>
#include <optional>

namespace vidtrawl::testing {

// Runs an operation on the loop to its end: `start` is given where its end
// goes and returns the operation. A `stop` that says so after a turn drops
// the operation, as a user's stop does: the outcome is "stopped".
template <typename T, typename Start>
base::Outcome<T> RunToEnd(engine::PollLoop &loop, Start start,
                          const std::function<bool()> &stop = {}) {
  std::optional<base::Outcome<T>> end;
  auto operation = start([&end](base::Outcome<T> outcome) { end = std::move(outcome); });
  loop.RunUntil([&] { return end.has_value() || (stop && stop()); }, std::chrono::seconds(60));
  if (!end)
    return base::Stopped{};
  return std::move(*end);
}

} // namespace vidtrawl::testing
