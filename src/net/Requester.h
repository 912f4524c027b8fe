#pragma once

#include "base/ItemRequest.h"
#include "base/Trace.h"
#include "net/ClientOptions.h"

#include <memory>
#include <string>

namespace vidtrawl::net {

using base::ItemRequest;

// The one a request is made for: how the request presents itself (as a browser of today or as
// the known sites were always asked, and what a browser gave the item), and where its lines of
// the trace go.
struct Requester {
  Requester(Agent agent = Agent::Legacy) : agent(agent) {} // NOLINT: an agent alone is one
  Requester(Agent agent, base::Trace trace, std::shared_ptr<const ItemRequest> item = {})
      : agent(agent), trace(trace), item(std::move(item)) {}

  Agent agent;
  base::Trace trace;
  std::shared_ptr<const ItemRequest> item;
};

} // namespace vidtrawl::net
