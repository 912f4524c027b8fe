#pragma once

#include "net/DownloadEvents.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// Records the transfer component's events as texts ("progress 50",
// "complete", "error Could not find URL", "cancelled 4096").
class EventLog final : public net::DownloadEvents {
public:
  void DownloadComplete() override { events.push_back("complete"); }
  void DownloadProgress(std::int64_t lProgress) override {
    events.push_back("progress " + std::to_string(lProgress));
    if (onProgress)
      onProgress(lProgress);
  }
  void DownloadError(const std::string &sErrorDescription) override {
    events.push_back("error " + sErrorDescription);
  }
  void DownloadCancelled(std::int64_t lPosition) override {
    events.push_back("cancelled " + std::to_string(lPosition));
  }

  std::vector<std::string> events;
  std::function<void(std::int64_t)> onProgress;
};

} // namespace vidtrawl::testing
