#pragma once

#include "base/Fault.h"
#include "extractor/ExtractorQuery.h"
#include "sites/Site.h"

#include <string>

namespace vidtrawl::extractor {

// Whether the site extractor is asked for a page: after what the program's own rules found (the
// fault they ended with) or, with none, before they look (an address of a video host that no
// known site has a rule for). Why it is, as the trace and the item's reason say it; empty: it is
// not. The known sites alone ("Known Sites Only") never ask it.
std::string WhyAsked(const ExtractorSettings &settings, const sites::Site *site,
                     const std::string &page, const base::Fault *fault);

} // namespace vidtrawl::extractor
