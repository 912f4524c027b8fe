#include "scheduler/Engine.h"

namespace vidtrawl::scheduler {

Engine::Engine(EngineHosts hosts, transfer::ConnectionMap connections,
               std::optional<std::filesystem::path> scratchFolder)
    : download(hosts.pump, connections), resolver(hosts.pump, hosts.messages, connections),
      scratch(std::move(scratchFolder)), fetcher(download, resolver, state, scratch.Path()),
      binder(items, hosts.grid, hosts.pump, hosts.messages, state),
      editor(items, hosts.grid, binder, state),
      adder(items, binder, editor, fetcher, download, state),
      events(items, binder, hosts.grid, download, state) {
  download.SetEvents(&events);
}

} // namespace vidtrawl::scheduler
