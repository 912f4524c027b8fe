#pragma once

#include "base/Outcome.h"
#include "host/OffLoopWork.h"
#include "net/PageFetch.h"
#include "net/Requester.h"
#include "net/Session.h"
#include "pagesearch/PageVideo.h"
#include "pagesearch/ResolvedVideo.h"

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::pagesearch {

// The video of a web page of no known site. What the server sends decides
// first: an answer that its headers call a video file or a streaming
// playlist is that video (its body is not read). Else the page is searched
// (FindPageVideo) off the event loop; a player page it names instead is
// fetched and searched the same way, once: a player page's own player page
// is not followed. The faults: those of the page fetches, NoVideoFoundOnPage
// and HostedVideo (the page's video is on YouTube, Vimeo or Dailymotion).
// It starts at once and ends on the loop; destroying it stops it at once
// without a word, also while a search runs (its result is dropped).
class WebPageLookup {
public:
  using Done = std::function<void(base::Outcome<ResolvedVideo>)>;

  // Its requests are made for `requester`, as a browser of today.
  WebPageLookup(net::Session &session, std::string address, net::ProgressSink progress, Done done,
                net::Requester requester = {});

private:
  void Fetch();
  void Fetched(net::Page page);
  void Searched(PageVideo found);
  void Finish(base::Outcome<ResolvedVideo> outcome);

  net::Session &session_;
  net::Requester requester_;
  std::string address_; // of the page being read: the user's, then a player page's
  net::ProgressSink progress_;
  Done done_;
  bool followed_ = false;
  std::string title_; // the user's page's
  std::unique_ptr<net::PageFetch> fetch_;
  std::unique_ptr<host::OffLoopWork> search_;
};

} // namespace vidtrawl::pagesearch
