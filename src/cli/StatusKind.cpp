#include "cli/StatusKind.h"

#include "list/Status.h"

namespace vidtrawl::cli {

StatusKind KindOf(std::string_view status) {
  if (status == list::kWaiting)
    return StatusKind::Waiting;
  if (status == list::kLinkNotSupported)
    return StatusKind::Unsupported;
  if (status == list::kComplete)
    return StatusKind::Complete;
  if (status == list::kError)
    return StatusKind::Error;
  if (status == list::kCancelled)
    return StatusKind::Cancelled;
  if (status.rfind("Preparing", 0) == 0 || status == list::kStartDownloading)
    return StatusKind::Preparing;
  const std::string_view soFar = list::kSoFarSuffix;
  if (status.size() > soFar.size() && status.substr(status.size() - soFar.size()) == soFar)
    return StatusKind::Downloading;
  if (!status.empty() && status.find_first_not_of("0123456789") == std::string_view::npos)
    return StatusKind::Downloading;
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
