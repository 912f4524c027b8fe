#pragma once

#include "host/Connectivity.h"
#include "host/MovieVariables.h"

#include <string>

namespace vidtrawl::cli {

// The console has no movie: variables set are dropped, variables read are empty.
class NoMovie final : public host::MovieVariables {
public:
  void SetFlashVariable(const std::string &, const std::string &) override {}
  std::string GetFlashVariable(const std::string &) override { return {}; }
};

// The console runs its pass without asking whether the machine is online:
// a failed connection shows in the items.
class AssumeOnline final : public host::Connectivity {
public:
  bool IsConnected() override { return true; }
};

} // namespace vidtrawl::cli
