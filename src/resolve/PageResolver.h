#pragma once

#include "base/Outcome.h"
#include "net/Session.h"
#include "resolve/RedirectResolver.h"
#include "resolve/Site.h"

#include <string>

namespace vidtrawl::resolve {

// Turns a page address into the address of the video file behind it: fetches
// the page (into memory) and hands it to its site's parser. The faults:
// UnsupportedSite (no site: nothing is fetched), those of the page fetch, NoVideoInPage
// and PlayerLookup (YouTube's player host gave no address).
class PageResolver {
public:
  PageResolver(net::Session &session, RedirectResolver &player);

  base::Outcome<std::string> Resolve(const Site *site, const std::string &page,
                                     const net::ProgressSink &progress, const net::StopCheck &stop);

private:
  net::Session &session_;
  RedirectResolver &player_;
};

} // namespace vidtrawl::resolve
