#include "cli/StatusKind.h"

namespace vidtrawl::cli {

StatusKind KindOf(engine::Phase phase) {
  switch (phase) {
  case engine::Phase::Waiting:
    return StatusKind::Waiting;
  case engine::Phase::Unsupported:
    return StatusKind::Unsupported;
  case engine::Phase::Resolving:
  case engine::Phase::Asking:
    return StatusKind::Preparing;
  case engine::Phase::Receiving:
    return StatusKind::Downloading;
  case engine::Phase::Complete:
    return StatusKind::Complete;
  case engine::Phase::Failed:
    return StatusKind::Error;
  case engine::Phase::Cancelled:
  case engine::Phase::Paused: // kept for later, as a cancelled one is
    break;
  }
  return StatusKind::Cancelled;
}

std::string_view KindName(StatusKind kind) {
  constexpr engine::Phase kPhases[] = {engine::Phase::Waiting,   engine::Phase::Unsupported,
                                       engine::Phase::Resolving, engine::Phase::Receiving,
                                       engine::Phase::Complete,  engine::Phase::Failed,
                                       engine::Phase::Cancelled};
  return engine::PhaseName(kPhases[static_cast<int>(kind)]);
}

} // namespace vidtrawl::cli
