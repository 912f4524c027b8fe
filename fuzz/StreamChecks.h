#pragma once

#include "FuzzCheck.h"
#include "manifests/StreamPlan.h"
#include "net/WebAddress.h"

#include <cmath>
#include <cstdint>

// What every plan the readers make must hold, whatever text they were given: fragments the
// engine can ask for, with ranges that are no empty and do not run past the largest offset.
inline void CheckFragment(const vidtrawl::manifests::StreamFragment &fragment) {
  FUZZ_CHECK(vidtrawl::net::ParseWebAddress(fragment.address).has_value());
  if (fragment.range)
    FUZZ_CHECK(fragment.range->length > 0 &&
               fragment.range->offset <= UINT64_MAX - fragment.range->length);
  if (fragment.key)
    FUZZ_CHECK(vidtrawl::net::ParseWebAddress(fragment.key->address).has_value());
  FUZZ_CHECK(std::isfinite(fragment.seconds) && fragment.seconds >= 0);
}

inline void CheckTrack(const vidtrawl::manifests::StreamTrack &track) {
  FUZZ_CHECK(!track.fragments.empty());
  if (track.init)
    CheckFragment(*track.init);
  for (const vidtrawl::manifests::StreamFragment &fragment : track.fragments)
    CheckFragment(fragment);
}
