#include "list/StatusKind.h"

#include "base/NumberScan.h"
#include "list/Status.h"

namespace vidtrawl::list {
namespace {

// A percentage text is capped here: beyond it the value says nothing more.
constexpr long long kPercentCap = 1000000;

std::optional<int> Percent(std::string_view digits) {
  if (const auto value = base::LeadingDigits(digits, kPercentCap))
    return static_cast<int>(*value);
  return std::nullopt;
}

} // namespace

StatusClass ClassifyStatus(std::string_view status) {
  if (status == kWaiting)
    return {StatusKind::Waiting, std::nullopt};
  if (status == kLinkNotSupported)
    return {StatusKind::Unsupported, std::nullopt};
  if (status == kComplete)
    return {StatusKind::Complete, std::nullopt};
  if (status == kError)
    return {StatusKind::Error, std::nullopt};
  if (status == kCancelled)
    return {StatusKind::Cancelled, std::nullopt};
  if (status == kStartDownloading)
    return {StatusKind::Preparing, std::nullopt};
  if (status == kPreparingEllipsis)
    return {StatusKind::Fetching, std::nullopt};
  constexpr std::string_view kPreparingOpen = "Preparing (";
  if (status.size() > kPreparingOpen.size() + 2 &&
      status.substr(0, kPreparingOpen.size()) == kPreparingOpen &&
      status.substr(status.size() - 2) == "%)") {
    const std::string_view number =
        status.substr(kPreparingOpen.size(), status.size() - kPreparingOpen.size() - 2);
    if (base::AllDigits(number))
      return {StatusKind::Fetching, Percent(number)};
  }
  if (base::AllDigits(status))
    return {StatusKind::Progress, Percent(status)};
  const std::string_view soFar = kSoFarSuffix;
  if (status.size() > soFar.size() && status.substr(status.size() - soFar.size()) == soFar)
    return {StatusKind::Progress, std::nullopt};
  return {StatusKind::Other, std::nullopt};
}

} // namespace vidtrawl::list
