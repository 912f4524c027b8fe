#pragma once

#include <string>

namespace vidtrawl::base {

// "clip.flv" with the number n: "clip (n).flv" (the number goes before the
// extension, or at the end of a name without one). n of 1 or less gives
// the name itself.
std::string NameVariant(const std::string &name, int n);

} // namespace vidtrawl::base
