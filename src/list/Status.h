#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::list {

// Every text the program stores in a download item. Comparisons of these
// texts are exact and case-sensitive.

// Status: added, site recognised, not yet processed; the default status.
inline constexpr char kWaiting[] = "Waiting";
// Status: added, but the address belongs to no supported site.
inline constexpr char kLinkNotSupported[] = "Link is not supported";
// FileName placeholder: the name is still to be derived from the video file.
inline constexpr char kWaitingAutoDetect[] = "Waiting (Auto Detect)";
// Status of a failed item; also the FileName stored with kLinkNotSupported.
inline constexpr char kError[] = "ERROR";
// FileSize: size not known yet; the default size.
inline constexpr char kUnknownSize[] = "????";
// Status: the item's page is about to be fetched.
inline constexpr char kPreparingZero[] = "Preparing (0%)";
// Status: page fetch progress reported as a value above 100.
inline constexpr char kPreparingEllipsis[] = "Preparing...";
// Status: the page has been fetched; the video transfer follows.
inline constexpr char kStartDownloading[] = "Start Downloading...";
// FileName stored with kError: the site was not recognised when processed.
inline constexpr char kUnsupportedLink[] = "Un supported link";
// FileName stored with kError: the page held no video address.
inline constexpr char kProcessFailed[] = "Process failed.";
// Video_URL stored with kError and kProcessFailed, replacing the page address.
inline constexpr char kVideoInappropriate[] =
    "Video may be inappropriate and can not be downloaded";
// Appended to a size text while the total size is unknown.
inline constexpr char kSoFarSuffix[] = " so far..";
// Status: the video file has been received.
inline constexpr char kComplete[] = "Complete";
// Status: the user stopped the run while this item was being transferred.
inline constexpr char kCancelled[] = "Cancelled";
// FileSize: the server knows the file but reports no size.
inline constexpr char kZeroSize[] = "0";

// "Preparing (" + n + "%)": page fetch progress, n from 0 to 100.
inline std::string PreparingStatus(long n) {
  return "Preparing (" + std::to_string(n) + "%)";
}

// A file name that names no file yet: the placeholder of a new item.
inline bool IsFileNamePlaceholder(std::string_view fileName) {
  return fileName == kWaitingAutoDetect;
}

// A size text that states a size (not "????" nor the server's "0").
inline bool IsKnownSizeText(std::string_view size) {
  return size != kUnknownSize && size != kZeroSize;
}

// The download pass passes over exactly these two statuses.
inline bool IsFinishedStatus(std::string_view status) {
  return status == kComplete || status == kError;
}

} // namespace vidtrawl::list
