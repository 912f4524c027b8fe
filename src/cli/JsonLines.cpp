#include "cli/JsonLines.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace vidtrawl::cli {

std::string JsonLines(const std::vector<engine::ItemView> &items) {
  using Json = nlohmann::json;
  std::string lines;
  for (const engine::ItemView &item : items) {
    const bool complete = item.phase == engine::Phase::Complete;
    const std::string reason = engine::ReasonText(item);
    Json entry = {
        {"page", item.address},
        {"video", item.videoAddress.empty() ? Json() : Json(item.videoAddress)},
        {"file", complete && item.fileName
                     ? Json((std::filesystem::path(item.folder) / *item.fileName).string())
                     : Json()},
        {"status", engine::StatusText(item)},
        {"bytes", complete ? item.size : item.received},
        {"reason", reason.empty() ? Json() : Json(reason)},
    };
    lines += entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  }
  return lines;
}

} // namespace vidtrawl::cli
