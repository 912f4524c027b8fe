#pragma once

#include "base/Outcome.h"
#include "host/EventLoop.h"
#include "net/PageFetch.h"
#include "net/Requester.h"
#include "net/Session.h"
#include "pagesearch/ResolvedVideo.h"
#include "pagesearch/WebPageLookup.h"
#include "sites/PlayerLookup.h"
#include "sites/Site.h"

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::sites {

// Turns a page address into the address of the video file behind it:
// fetches a known site's page (into memory) and hands it to its site's
// parser, and asks the player's host where the page names only its player;
// any other page is a WebPageLookup's; a video file's own address is taken
// as it is. The faults: UnsupportedSite (no site: nothing is fetched),
// those of the page fetch, SitePageNamesNoVideo (a known site's page names none),
// StreamingPlaylist (it offers only a playlist), PlayerLookup (YouTube's
// player host gave no address), and a WebPageLookup's. It starts at once
// and ends on the loop; destroying it stops it without a word.
class VideoLookup {
public:
  using Done = std::function<void(base::Outcome<pagesearch::ResolvedVideo>)>;

  // The page's requests are made for `requester` (its agent is the site's).
  VideoLookup(net::Session &session, const Site *site, std::string page, net::ProgressSink progress,
              Done done, net::Requester requester = {});

private:
  void Read(const net::Page &page);
  void Finish(base::Outcome<pagesearch::ResolvedVideo> outcome);

  net::Session &session_;
  net::Requester requester_;
  const Site *site_;
  std::string page_;
  Done done_;
  host::Timer early_; // what needs no fetch ends at the loop's next turn
  std::unique_ptr<net::PageFetch> fetch_;
  std::unique_ptr<pagesearch::WebPageLookup> anyPage_;
  std::unique_ptr<PlayerLookup> player_;
  std::string title_;
};

} // namespace vidtrawl::sites
