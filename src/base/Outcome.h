#pragma once

#include "base/Fault.h"

#include <utility>
#include <variant>

namespace vidtrawl::base {

// The user stopped the operation.
struct Stopped {};
// An end without a value.
using Ended = std::variant<Fault, Stopped>;

// How an operation that the user may stop ended: with its value, stopped,
// or with a fault.
template <typename T> class Outcome {
public:
  Outcome(T value) : state_(std::move(value)) {}
  Outcome(Fault fault) : state_(std::move(fault)) {}
  Outcome(Stopped) : state_(Stopped{}) {}
  Outcome(Ended end) {
    if (const Fault *fault = std::get_if<Fault>(&end))
      state_ = std::move(*fault);
    else
      state_ = Stopped{};
  }

  bool Done() const { return std::holds_alternative<T>(state_); }
  bool WasStopped() const { return std::holds_alternative<Stopped>(state_); }
  bool Failed() const { return std::holds_alternative<Fault>(state_); }

  const T &Value() const { return std::get<T>(state_); }
  T &Value() { return std::get<T>(state_); }
  const Fault &Failure() const { return std::get<Fault>(state_); }

private:
  std::variant<T, Fault, Stopped> state_;
};

} // namespace vidtrawl::base
