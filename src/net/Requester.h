#pragma once

#include "base/Trace.h"
#include "net/ClientOptions.h"

#include <memory>
#include <string>
#include <vector>

namespace vidtrawl::net {

// What a browser gave one item's requests beyond the settings' options: its referer, user agent
// and cookies (as curl's cookie list takes them, one a line). They go with that item's requests
// and with no other's, and never into the trace.
struct ItemRequest {
  std::string referer;
  std::string userAgent;
  std::vector<std::string> cookies;
};

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
