#include "manifests/DrmSystems.h"

#include "base/AsciiCase.h"

#include <array>
#include <utility>

namespace vidtrawl::manifests {
namespace {

// The systems' identifiers as the DASH-IF registry and Apple list them.
constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kSystems{{
    {"urn:uuid:edef8ba9-79d6-4ace-a3c8-27dcd51d21ed", "Widevine"},
    {"urn:uuid:9a04f079-9840-4286-ab92-e65be0885f95", "PlayReady"},
    {"com.microsoft.playready", "PlayReady"},
    {"urn:uuid:94ce86fb-07ff-4f43-adb8-93d2fa968ca2", "FairPlay"},
    {"com.apple.streamingkeydelivery", "FairPlay"},
    {"urn:uuid:e2719d58-a985-b3c9-781a-b030af78d30e", "ClearKey"},
    {"urn:uuid:1077efec-c0b2-4d02-ace3-3c1e52e2fb4b", "ClearKey"},
    {"urn:mpeg:dash:mp4protection:2011", "Common Encryption"},
}};

} // namespace

std::string DrmSystemName(std::string_view id) {
  for (const auto &[known, name] : kSystems)
    if (base::EqualsIgnoringCase(id, known))
      return std::string(name);
  return std::string(id);
}

} // namespace vidtrawl::manifests
