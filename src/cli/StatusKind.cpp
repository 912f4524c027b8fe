#include "cli/StatusKind.h"

namespace vidtrawl::cli {

StatusKind KindOf(engine::Phase phase) {
  switch (phase) {
  case engine::Phase::Waiting:
    return StatusKind::Waiting;
  case engine::Phase::Unsupported:
    return StatusKind::Unsupported;
  case engine::Phase::Preparing:
    return StatusKind::Preparing;
  case engine::Phase::Transferring:
    return StatusKind::Downloading;
  case engine::Phase::Complete:
    return StatusKind::Complete;
  case engine::Phase::Failed:
    return StatusKind::Error;
  case engine::Phase::Cancelled:
    break;
  }
  return StatusKind::Cancelled;
}

std::string_view KindName(StatusKind kind) {
  switch (kind) {
  case StatusKind::Waiting:
    return "Waiting";
  case StatusKind::Unsupported:
    return "Not supported";
  case StatusKind::Preparing:
    return "Preparing";
  case StatusKind::Downloading:
    return "Downloading";
  case StatusKind::Complete:
    return "Complete";
  case StatusKind::Error:
    return "ERROR";
  case StatusKind::Cancelled:
    break;
  }
  return "Cancelled";
}

} // namespace vidtrawl::cli
