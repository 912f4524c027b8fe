#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::base {

// The text with each run of blanks and line ends made one space, and none
// around it: how a page's title or an address written over lines reads.
std::string CollapseBlanks(std::string_view text);

} // namespace vidtrawl::base
