#pragma once

#include "base/Fault.h"

#include <string>
#include <string_view>
#include <utility>

namespace vidtrawl::manifests {

inline constexpr const char *kLiveStream = "live streams are not supported";

// A playlist or manifest that cannot be made into a file; the reason is the user's sentence.
inline base::Fault StreamFault(std::string reason) {
  return base::Fault{base::FaultKind::Stream, std::move(reason)};
}

// A reference in a playlist that gives no http or https address.
inline base::Fault UnfetchableAddress(std::string_view reference) {
  constexpr std::size_t kShown = 200; // the rest of a hostile text tells a user nothing
  return StreamFault("the playlist names an address that cannot be fetched: " +
                     std::string(reference.substr(0, kShown)));
}

} // namespace vidtrawl::manifests
