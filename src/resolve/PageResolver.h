#pragma once

#include "base/Outcome.h"
#include "net/Session.h"
#include "resolve/RedirectResolver.h"
#include "resolve/Site.h"

#include <string>

namespace vidtrawl::resolve {

// The video file behind a page address.
struct ResolvedVideo {
  std::string address;
  std::string title; // the page's, where its site reads one
};

// Turns a page address into the address of the video file behind it: fetches
// the page (into memory) and hands it to its site's parser; a video file's
// own address is taken as it is. The faults: UnsupportedSite (no site:
// nothing is fetched), those of the page fetch, NoVideoInPage (a known
// site's page names none), NoVideoOnPage (any other page carries none),
// StreamingPlaylist (it offers only a playlist) and PlayerLookup (YouTube's
// player host gave no address).
class PageResolver {
public:
  PageResolver(net::Session &session, RedirectResolver &player);

  base::Outcome<ResolvedVideo> Resolve(const Site *site, const std::string &page,
                                       const net::ProgressSink &progress,
                                       const net::StopCheck &stop);

private:
  net::Session &session_;
  RedirectResolver &player_;
};

} // namespace vidtrawl::resolve
