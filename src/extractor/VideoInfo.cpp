#include "extractor/VideoInfo.h"

#include "net/WebAddress.h"

#include <nlohmann/json.hpp>

namespace vidtrawl::extractor {
namespace {

using Json = nlohmann::json;

std::string Text(const Json &object, const char *name) {
  const auto it = object.find(name);
  if (it == object.end())
    return {};
  if (it->is_string())
    return it->get<std::string>();
  if (it->is_number_integer())
    return std::to_string(it->get<long long>());
  return {};
}

double Number(const Json &object, const char *name) {
  const auto it = object.find(name);
  return it != object.end() && it->is_number() ? it->get<double>() : 0;
}

int Whole(const Json &object, const char *name) {
  const double value = Number(object, name);
  return value > 0 && value < 100000 ? static_cast<int>(value) : 0;
}

Format FormatOf(const Json &object, const Json &video) {
  Format format;
  format.id = Text(object, "format_id");
  format.address = Text(object, "url");
  format.protocol = Text(object, "protocol");
  format.ext = Text(object, "ext");
  // "none" is the documented word for a missing track; an unknown codec may be either.
  format.video = Text(object, "vcodec") != "none";
  format.audio = Text(object, "acodec") != "none";
  format.width = Whole(object, "width");
  format.height = Whole(object, "height");
  format.kbps = Number(object, "tbr");
  if (format.kbps <= 0)
    format.kbps = Number(object, "vbr") + Number(object, "abr");
  for (const char *size : {"filesize", "filesize_approx"})
    if (const double bytes = Number(object, size); bytes > 0 && !format.size)
      format.size = static_cast<std::uint64_t>(bytes);
  // A format's headers, else the video's.
  const Json *headers = nullptr;
  if (const auto own = object.find("http_headers"); own != object.end())
    headers = &*own;
  else if (const auto shared = video.find("http_headers"); shared != video.end())
    headers = &*shared;
  if (headers != nullptr && headers->is_object())
    for (const auto &[name, value] : headers->items())
      if (value.is_string())
        format.headers.emplace_back(name, value.get<std::string>());
  const std::string base = Text(object, "fragment_base_url");
  if (const auto fragments = object.find("fragments");
      fragments != object.end() && fragments->is_array())
    for (const Json &fragment : *fragments) {
      if (!fragment.is_object())
        continue;
      std::string address = Text(fragment, "url");
      if (address.empty()) {
        const std::string path = Text(fragment, "path");
        address = net::ResolveWebAddress(base, path).value_or(base + path);
      }
      if (!address.empty())
        format.fragments.push_back({std::move(address), Number(fragment, "duration")});
    }
  return format;
}

VideoInfo VideoOf(const Json &object) {
  VideoInfo info{Text(object, "id"),
                 Text(object, "title"),
                 Text(object, "uploader"),
                 Text(object, "webpage_url"),
                 {}};
  if (const auto formats = object.find("formats"); formats != object.end() && formats->is_array()) {
    for (const Json &format : *formats)
      if (format.is_object())
        info.formats.push_back(FormatOf(format, object));
  } else if (object.contains("url")) {
    // A video of one format is described by its own fields.
    info.formats.push_back(FormatOf(object, object));
  }
  return info;
}

} // namespace

std::optional<ExtractorAnswer> ReadExtractorAnswer(std::string_view json) {
  const Json root = Json::parse(json, nullptr, false);
  if (root.is_discarded() || !root.is_object())
    return std::nullopt;
  ExtractorAnswer answer;
  answer.video = VideoOf(root);
  const auto entries = root.find("entries");
  answer.playlist =
      Text(root, "_type") == "playlist" || (entries != root.end() && entries->is_array());
  if (!answer.playlist || entries == root.end() || !entries->is_array())
    return answer;
  for (const Json &entry : *entries) {
    if (!entry.is_object())
      continue;
    VideoInfo video = VideoOf(entry);
    // An entry that has a page of its own is asked for by it; one of the playlist's page (a page
    // of several videos) by its file.
    std::string address = video.page;
    if (address.empty() || address == answer.video.page || address == Text(root, "original_url"))
      address = Text(entry, "url");
    answer.entryAddresses.push_back(std::move(address));
    answer.entries.push_back(std::move(video));
  }
  return answer;
}

} // namespace vidtrawl::extractor
