#include "cli/JsonLines.h"

#include "base/ControlCharacters.h"

#include <filesystem>

namespace vidtrawl::cli {
namespace {

// A JSON string of any bytes: UTF-8 as it is, every byte that is no part of well-formed UTF-8 as
// a lone surrogate \udcXX (as Python's surrogateescape reads it back to the very bytes), so that
// a name in another encoding still names its file.
std::string JsonText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = base::Utf8SequenceLength(text.substr(at));
    if (length == 0) {
      out += "\\udc";
      out += {kDigits[byte >> 4], kDigits[byte & 15]};
      ++at;
      continue;
    }
    if (byte == '"' || byte == '\\')
      out += {'\\', static_cast<char>(byte)};
    else if (byte < 0x20)
      out += std::string("\\u00") + kDigits[byte >> 4] + kDigits[byte & 15];
    else
      out.append(text.substr(at, length));
    at += length;
  }
  return out + "\"";
}

std::string JsonTextOrNull(const std::optional<std::string> &text) {
  return text ? JsonText(std::string_view(*text)) : "null";
}

} // namespace

std::string JsonLines(const std::vector<engine::ItemView> &items) {
  std::string lines;
  for (const engine::ItemView &item : items) {
    const bool complete = item.phase == engine::Phase::Complete;
    const std::string reason = engine::ReasonText(item);
    const std::optional<std::string> file =
        complete && item.fileName
            ? std::optional<std::string>(
                  (std::filesystem::path(item.folder) / *item.fileName).string())
            : std::nullopt;
    lines +=
        "{\"bytes\":" + std::to_string(complete ? item.size : item.received) +
        ",\"file\":" + JsonTextOrNull(file) + ",\"page\":" + JsonText(item.address) +
        ",\"reason\":" + JsonTextOrNull(reason.empty() ? std::nullopt : std::optional(reason)) +
        ",\"status\":" + JsonText(engine::StatusText(item)) + ",\"video\":" +
        JsonTextOrNull(item.videoAddress.empty() ? std::nullopt
                                                 : std::optional(item.videoAddress)) +
        "}\n";
  }
  return lines;
}

} // namespace vidtrawl::cli
