#pragma once

#include "resolve/Site.h"

#include <span>
#include <string_view>

namespace vidtrawl::resolve {

// The supported sites, in the order in which addresses are tested.
std::span<const Site *const> Sites();

// The site of a page address: the first in the table whose domain occurs
// anywhere in the address (path and query included, any letter case); none
// when no domain does.
const Site *SiteOfAddress(std::string_view address);

} // namespace vidtrawl::resolve
