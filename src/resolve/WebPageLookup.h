#pragma once

#include "base/Outcome.h"
#include "host/OffLoopWork.h"
#include "net/PageFetch.h"
#include "net/Session.h"
#include "resolve/PageVideo.h"
#include "resolve/ResolvedVideo.h"

#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::resolve {

// The video of a web page of no known site: the page is fetched and
// searched (FindPageVideo) off the event loop. The faults: those of the
// page fetch and NoVideoOnPage. It starts at once and ends on the loop;
// destroying it stops it at once without a word, also while a search runs
// (its result is dropped).
class WebPageLookup {
public:
  using Done = std::function<void(base::Outcome<ResolvedVideo>)>;

  WebPageLookup(net::Session &session, std::string address, net::ProgressSink progress, Done done);

private:
  void Fetched(net::Page page);
  void Searched(PageVideo found);
  void Finish(base::Outcome<ResolvedVideo> outcome);

  net::Session &session_;
  std::string address_;
  Done done_;
  std::unique_ptr<net::PageFetch> fetch_;
  std::unique_ptr<host::OffLoopWork> search_;
};

} // namespace vidtrawl::resolve
