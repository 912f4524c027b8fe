#include "scheduler/Engine.h"

namespace vidtrawl::scheduler {

Engine::Engine(EngineHosts hosts, transfer::ConnectionMap connections, EnginePaths paths)
    : settings(paths.registryFile ? settings::Settings(*paths.registryFile) : settings::Settings()),
      download(hosts.pump, connections), resolver(hosts.pump, hosts.messages, connections),
      scratch(std::move(paths.scratchFolder)), fetcher(download, resolver, state, scratch.Path()),
      binder(items, hosts.grid, hosts.pump, hosts.messages, state),
      editor(items, hosts.grid, binder, state),
      adder(items, binder, editor, fetcher, download, state), fileNameEdit(items, hosts.grid),
      events(items, binder, editor, hosts.grid, download, state),
      pass(items, binder, editor, adder, download, state, hosts.movie, settings),
      control(items, pass, state, hosts.movie, hosts.messages, hosts.connectivity) {
  download.SetEvents(&events);
}

} // namespace vidtrawl::scheduler
