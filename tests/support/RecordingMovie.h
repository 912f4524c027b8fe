#pragma once

#include "host/MovieVariables.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>

namespace vidtrawl::testing {

// A movie that records every set in order ("NAME=VALUE NAME=VALUE", the
// name after its last dot) and serves gets from its variables (a set also changes what a later get
// returns). A set of a name listed in `failing` throws, as a failing control would.
class RecordingMovie final : public host::MovieVariables {
public:
  void SetFlashVariable(const std::string &name, const std::string &value) override {
    if (failing.count(name))
      throw std::runtime_error("variable-set failed: " + name);
    sets += (sets.empty() ? "" : " ") + name.substr(name.rfind('.') + 1) + "=" + value;
    variables[name] = value;
  }
  std::string GetFlashVariable(const std::string &name) override { return variables[name]; }

  std::string sets;
  std::map<std::string, std::string> variables;
  std::set<std::string> failing;
};

} // namespace vidtrawl::testing
