#pragma once

#include "net/DownloadEvents.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// Records the transfer component's events as texts ("progress 50",
// "complete", "error Could not find URL", "cancelled 4096") together with the
// size of the target file at each event (-1 when it does not exist).
class EventLog final : public net::DownloadEvents {
public:
  explicit EventLog(std::filesystem::path file = {}) : file_(std::move(file)) {}

  void DownloadComplete() override { Note("complete"); }
  void DownloadProgress(std::int64_t lProgress) override {
    Note("progress " + std::to_string(lProgress));
    if (onProgress)
      onProgress(lProgress);
  }
  void DownloadError(const std::string &sErrorDescription) override {
    Note("error " + sErrorDescription);
  }
  void DownloadCancelled(std::int64_t lPosition) override {
    Note("cancelled " + std::to_string(lPosition));
  }

  std::vector<std::string> events;
  std::vector<std::int64_t> fileSizes;
  std::function<void(std::int64_t)> onProgress;

private:
  void Note(std::string event) {
    events.push_back(std::move(event));
    std::error_code ec;
    const auto size = file_.empty() ? 0 : std::filesystem::file_size(file_, ec);
    fileSizes.push_back(file_.empty() || ec ? -1 : static_cast<std::int64_t>(size));
  }

  std::filesystem::path file_;
};

} // namespace vidtrawl::testing
