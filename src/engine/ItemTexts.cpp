#include "engine/ItemTexts.h"

#include "engine/FormatSize.h"

#include <algorithm>
#include <cmath>

namespace vidtrawl::engine {
namespace {

using base::FaultKind;

bool NamesNoVideo(const ItemView &item) {
  return item.fault && base::NamesNoVideo(*item.fault);
}

// The page has a video, but no file of it to download.
bool OffersNoFile(const ItemView &item) {
  return item.fault &&
         (item.fault->kind == FaultKind::StreamingPlaylist ||
          item.fault->kind == FaultKind::HostedVideo || item.fault->kind == FaultKind::Extractor);
}

} // namespace

std::optional<long long> TransferPercent(const ItemView &item) {
  // A stream's bytes of its estimated size (its fragments while nothing is estimated), and not
  // all of them while a fragment remains.
  const bool streamLeft = item.fragmentsStored < item.fragments;
  if (item.fragments > 0 && (item.total == 0 || item.received > item.total))
    return std::llround(std::nearbyint(static_cast<double>(item.fragmentsStored) /
                                       static_cast<double>(item.fragments) * 100.0));
  // More than was announced: the announcement was wrong, and only the bytes are true.
  if (item.total == 0 || item.received > item.total)
    return std::nullopt;
  const long long percent = std::llround(
      std::nearbyint(static_cast<double>(item.received) / static_cast<double>(item.total) * 100.0));
  return streamLeft ? std::min(percent, 99LL) : percent;
}

std::optional<double> SecondsLeft(const ItemView &item) {
  // A size the file outgrew tells nothing about what is left, nor does a stream's estimate that
  // its bytes reached while fragments remain.
  const bool streamLeft = item.fragmentsStored < item.fragments;
  if (item.phase != Phase::Receiving || item.bytesPerSecond <= 0 || item.total == 0 ||
      item.received > item.total || (streamLeft && item.received == item.total))
    return std::nullopt;
  // In whole seconds, rounded up: a transfer with bytes to come never has nothing left.
  return std::ceil(static_cast<double>(item.total - item.received) / item.bytesPerSecond);
}

std::string StatusText(const ItemView &item) {
  if (item.retryIn > 0 && base::IsActive(item.phase)) {
    const std::string seconds = std::to_string(item.retryIn % 60);
    return "Retry in " + std::to_string(item.retryIn / 60) + ":" +
           (seconds.size() == 1 ? "0" : "") + seconds;
  }
  switch (item.phase) {
  case Phase::Waiting:
    return "Waiting";
  case Phase::Unsupported:
    return "Link is not supported";
  case Phase::Resolving:
    if (item.pagePercent && *item.pagePercent <= 100)
      return "Preparing (" + std::to_string(*item.pagePercent) + "%)";
    return "Preparing...";
  case Phase::Asking:
    return "Start Downloading...";
  case Phase::Receiving:
    if (!item.started)
      return "Start Downloading...";
    if (const auto percent = TransferPercent(item))
      return std::to_string(*percent);
    return FormatSize(static_cast<double>(item.received)) + " so far..";
  case Phase::Complete:
    return "Complete";
  case Phase::Failed:
    return "ERROR";
  case Phase::Cancelled:
    return "Cancelled";
  case Phase::Paused:
    return "Paused";
  }
  return {};
}

// A page with nothing to download is told as an address of no supported site.
bool Unsupported(const ItemView &item) {
  return item.fault && (item.fault->kind == FaultKind::UnsupportedSite ||
                        item.fault->kind == FaultKind::NoVideoFoundOnPage);
}

std::string_view PhaseName(Phase phase) {
  switch (phase) {
  case Phase::Waiting:
    return "Waiting";
  case Phase::Unsupported:
    return "Not supported";
  case Phase::Resolving:
  case Phase::Asking:
    return "Preparing";
  case Phase::Receiving:
    return "Downloading";
  case Phase::Complete:
    return "Complete";
  case Phase::Failed:
    return "ERROR";
  case Phase::Paused:
    return "Paused";
  case Phase::Cancelled:
    break;
  }
  return "Cancelled";
}

bool FileNamePlaceholder(const ItemView &item) {
  return !item.fileName && !NamesNoVideo(item) && !Unsupported(item) && !OffersNoFile(item);
}

std::string FileNameText(const ItemView &item) {
  if (Unsupported(item))
    return "Un supported link";
  if (NamesNoVideo(item) || OffersNoFile(item))
    return "Process failed.";
  if (item.fileName)
    return *item.fileName;
  return item.phase == Phase::Unsupported ? "ERROR" : "Waiting (Auto Detect)";
}

std::string SizeText(const ItemView &item) {
  switch (item.sizeKnown) {
  case SizeKnown::Unknown:
    return "????";
  case SizeKnown::NotReported:
    return "0";
  case SizeKnown::Missing:
    return "-1 Bytes";
  case SizeKnown::Bytes:
    break;
  }
  return FormatSize(static_cast<double>(item.size));
}

std::string AddressText(const ItemView &item) {
  return NamesNoVideo(item) ? "Video may be inappropriate and can not be downloaded" : item.address;
}

std::string ReasonText(const ItemView &item) {
  if (item.phase != Phase::Failed || !item.fault)
    return {};
  std::string reason = FaultText(*item.fault);
  const int status = item.fault->httpStatus;
  if (item.handedRequestGone && (status == 401 || status == 403))
    reason += " (the browser's cookies for it are gone since the program restarted: send it "
              "again from the browser)";
  return reason;
}

std::string FaultText(const base::Fault &fault) {
  switch (fault.kind) {
  case FaultKind::UnsupportedSite:
    return "the address belongs to no supported site";
  case FaultKind::SitePageNamesNoVideo:
    return "the page names no video";
  case FaultKind::NoVideoFoundOnPage: {
    const std::string reason = "no video found on this page";
    return fault.detail.empty() || fault.detail == reason ? reason : reason + ": " + fault.detail;
  }
  case FaultKind::StreamingPlaylist:
    return "streaming playlists are not supported (" + fault.detail + ")";
  case FaultKind::HostedVideo:
    return "the video is hosted on " + fault.detail; // "YouTube: ADDRESS"
  case FaultKind::PlayerLookup:
    return "YouTube's player host gave no video address: " + fault.detail;
  case FaultKind::Stream:
  case FaultKind::Remux:
  case FaultKind::Extractor:
    return fault.detail; // already a sentence for the user: "live streams are not supported"
  case FaultKind::FileMissing:
    return "the server reported no such file" +
           (fault.detail.empty() ? std::string() : " (" + fault.detail + ")");
  default:
    break;
  }
  // The page was not read: what stopped its fetch.
  return (fault.ofPage ? "the page could not be fetched: " : "") + fault.detail;
}

std::string ResolutionText(const std::optional<std::string> &address,
                           const std::optional<base::Fault> &fault) {
  if (address)
    return *address;
  if (fault && fault->kind == FaultKind::UnsupportedSite)
    return "-1";
  if (fault &&
      (fault->kind == FaultKind::SitePageNamesNoVideo || fault->kind == FaultKind::PlayerLookup ||
       fault->kind == FaultKind::NoVideoFoundOnPage ||
       fault->kind == FaultKind::StreamingPlaylist || fault->kind == FaultKind::HostedVideo))
    return "0";
  return "-2";
}

} // namespace vidtrawl::engine
