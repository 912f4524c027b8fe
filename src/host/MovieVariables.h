#pragma once

#include <string>

namespace vidtrawl::host {

// The movie's variables, addressed by a path that starts with "_root." and
// holding text. The movie keeps them; the program keeps no copy.
//
// A failing set passes to the caller as an exception: the callers guard
// each of their steps and go on with the next one.
class MovieVariables {
public:
  virtual ~MovieVariables() = default;
  virtual void SetFlashVariable(const std::string &name, const std::string &value) = 0;
  virtual std::string GetFlashVariable(const std::string &name) = 0;
};

} // namespace vidtrawl::host
