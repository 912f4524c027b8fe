#pragma once

#include "sites/Site.h"

#include <span>
#include <string_view>

namespace vidtrawl::sites {

// Which addresses are supported: the known sites only (every other address
// refused without a fetch), or also a video file's own address and any other
// http or https page (searched for its video).
enum class SiteRule { KnownSitesOnly, AnyPage };

// The supported sites, in the order in which addresses are tested: the known
// sites by their domains, then a video file's address, then any page.
std::span<const Site *const> Sites();

// The site of a page address: the first known site whose domain occurs
// anywhere in the address (path and query included, any letter case); else,
// by the rule, the first site of no domain that takes the address; none
// when no site does.
const Site *SiteOfAddress(std::string_view address, SiteRule rule);

// The site that reads any page: where a video file's address turns out to
// be a web page's (a media library's page of a file ends in ".webm" too).
const Site &AnyPageSite();

} // namespace vidtrawl::sites
