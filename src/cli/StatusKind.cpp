#include "cli/StatusKind.h"

#include "engine/Engine.h"

namespace vidtrawl::cli {

StatusKind KindOf(std::string_view status) {
  switch (engine::ClassifyStatus(status).kind) {
  case engine::StatusKind::Waiting:
    return StatusKind::Waiting;
  case engine::StatusKind::Unsupported:
    return StatusKind::Unsupported;
  case engine::StatusKind::Fetching:
  case engine::StatusKind::Preparing:
    return StatusKind::Preparing;
  case engine::StatusKind::Progress:
    return StatusKind::Downloading;
  case engine::StatusKind::Complete:
    return StatusKind::Complete;
  case engine::StatusKind::Error:
    return StatusKind::Error;
  case engine::StatusKind::Cancelled:
    return StatusKind::Cancelled;
  case engine::StatusKind::Other:
    break;
  }
  return StatusKind::Other;
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
    return "Cancelled";
  case StatusKind::Other:
    break;
  }
  return "";
}

} // namespace vidtrawl::cli
