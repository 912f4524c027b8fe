#include "pagesearch/StructuredData.h"

#include "pagesearch/LenientJson.h"

#include <algorithm>

namespace vidtrawl::pagesearch {
namespace {

using Json = nlohmann::json;

constexpr int kDeepest = 16;

bool IsVideoObject(const Json &object) {
  const auto type = object.find("@type");
  if (type == object.end())
    return false;
  if (type->is_string())
    return type->get<std::string>() == "VideoObject";
  return type->is_array() &&
         std::find(type->begin(), type->end(), Json("VideoObject")) != type->end();
}

// A property's address: a string, or the first string of an array.
void AddAddress(const Json &object, const char *key, std::vector<std::string> &to) {
  const auto value = object.find(key);
  if (value == object.end())
    return;
  if (value->is_string())
    to.push_back(value->get<std::string>());
  else if (value->is_array() && !value->empty() && value->front().is_string())
    to.push_back(value->front().get<std::string>());
}

void Walk(const Json &value, bool underVideo, int depth, StructuredVideos &videos) {
  if (depth > kDeepest)
    return;
  if (value.is_array()) {
    for (const Json &element : value)
      Walk(element, underVideo, depth + 1, videos);
    return;
  }
  if (!value.is_object())
    return;
  if (underVideo || IsVideoObject(value)) {
    AddAddress(value, "contentUrl", videos.contentUrls);
    AddAddress(value, "embedUrl", videos.embedUrls);
  }
  for (const auto &[key, member] : value.items())
    Walk(member, key == "video", depth + 1, videos);
}

} // namespace

void ReadStructuredData(std::string_view block, StructuredVideos &videos) {
  const Json value = ParseLenientJson(block);
  if (!value.is_discarded())
    Walk(value, false, 0, videos);
}

} // namespace vidtrawl::pagesearch
