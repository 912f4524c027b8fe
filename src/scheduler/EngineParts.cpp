#include "scheduler/EngineParts.h"

#include "net/TimeLimits.h"

#include <algorithm>

namespace vidtrawl::scheduler {

EngineParts::EngineParts(EngineHosts hosts_, net::ConnectionMap connections, EnginePaths paths)
    : hosts(hosts_),
      settings(paths.registryFile ? settings::Settings(*paths.registryFile) : settings::Settings()),
      download(hosts.pump, connections), resolver(hosts.pump, hosts.messages, connections),
      scratch(hosts.messages, std::move(paths.scratchFolder)),
      fetcher(download, resolver, scratch.Path()),
      binder(items, hosts.grid, hosts.pump, hosts.messages),
      editor(items, hosts.grid, binder, current),
      adder(items, binder, fetcher, download, hosts.messages), fileNameEdit(items, hosts.grid),
      events(items, current, binder, editor, hosts.grid, download, fetcher, state),
      pass(items, current, binder, editor, adder, download, state, hosts.movie, hosts.messages,
           settings),
      control(items, pass, state, hosts.movie, hosts.messages, hosts.connectivity),
      monitor(settings, state, adder, hosts.movie, control) {
  download.SetEvents(&events);
  const net::TimeLimits limits = net::TimeLimits::FromEnvironment();
  download.SetTimeouts(limits.connect, limits.silence);
  resolver.SetTimeout(std::min(resolve::RedirectResolver::kDefaultTimeout, limits.silence));
  // A stop ends every wait of the transfer and of the redirect resolver,
  // not only a transfer that is receiving.
  download.SetStopCheck([this] { return state.bStopRequested; });
  resolver.SetStopCheck([this] { return state.bStopRequested; });
}

EngineParts::~EngineParts() {
  download.SetEvents(nullptr);
}

} // namespace vidtrawl::scheduler
