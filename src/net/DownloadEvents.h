#pragma once

#include <cstdint>
#include <string>

namespace vidtrawl::net {

// Receiver of the transfer component's events. Every StartDownload ends with
// exactly one of DownloadComplete, DownloadError and DownloadCancelled unless
// it throws (a local file fault or a bad header value), in which case none is
// raised.
class DownloadEvents {
public:
  virtual ~DownloadEvents() = default;
  // The whole resource was read; the file is closed.
  virtual void DownloadComplete() {}
  // After every 2048-byte chunk, the final empty read included: percent done
  // (rounded half to even) when FileSize > 0, otherwise bytes received so far.
  virtual void DownloadProgress(std::int64_t /*lProgress*/) {}
  // "Could not find URL" or "Could not read URL".
  virtual void DownloadError(const std::string & /*sErrorDescription*/) {}
  // Stopped by CancelDownload; the bytes received so far.
  virtual void DownloadCancelled(std::int64_t /*lPosition*/) {}
};

} // namespace vidtrawl::net
