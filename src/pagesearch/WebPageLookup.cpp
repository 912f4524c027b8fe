#include "pagesearch/WebPageLookup.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"
#include "pagesearch/AnswerMedia.h"

namespace vidtrawl::pagesearch {
namespace {

// The user's own address to a sound is a file to download; a sound a page names is none.
std::optional<VideoProtocol> MediaOf(const net::Page &page, bool users) {
  if (users && base::StartsWithIgnoringCase(base::TrimBlanks(page.contentType), "audio/") &&
      !PlaylistOfType(page.contentType))
    return VideoProtocol::File;
  return AnswerMedia(page.contentType, page.fileName, page.address);
}

} // namespace

WebPageLookup::WebPageLookup(net::Session &session, std::string address, net::ProgressSink progress,
                             Done done, net::Requester requester)
    : session_(session), requester_(std::move(requester)), address_(std::move(address)),
      progress_(std::move(progress)), done_(std::move(done)) {
  requester_.agent = net::Agent::Browser;
  Fetch();
}

void WebPageLookup::Fetch() {
  fetch_ = std::make_unique<net::PageFetch>(
      session_, address_, progress_,
      [this](base::Outcome<net::Page> page) {
        if (page.Failed())
          Finish(page.Failure());
        else
          Fetched(std::move(page.Value()));
      },
      net::kMaxPageBytes, requester_,
      [this](const net::Page &head) { return MediaOf(head, !followed_).has_value(); });
}

void WebPageLookup::Fetched(net::Page page) {
  if (const std::optional<VideoProtocol> media = MediaOf(page, !followed_)) {
    requester_.trace(base::TraceTopic::Page,
                     "the answer is the video itself (" +
                         (page.contentType.empty() ? std::string("untyped") : page.contentType) +
                         ")");
    Finish(ResolvedVideo{address_, title_, *media});
    return;
  }
  if (page.address.empty())
    page.address = address_;
  // The search owns what it reads and the result it writes: a stop may
  // leave it running after this lookup has gone.
  auto found = std::make_shared<PageVideo>();
  search_ = std::make_unique<host::OffLoopWork>(
      session_.Loop(),
      [found, page = std::move(page)] {
        *found = FindPageVideo(page.text, page.address, page.contentType);
      },
      [this, found] { Searched(std::move(*found)); });
}

void WebPageLookup::Searched(PageVideo found) {
  for (std::string &note : found.notes)
    requester_.trace(base::TraceTopic::Page, std::move(note));
  if (title_.empty() && !found.redirect)
    title_ = std::move(found.title);
  if (!found.address.empty()) {
    Finish(ResolvedVideo{std::move(found.address), std::move(title_), found.protocol,
                         std::move(found.files)});
  } else if (found.hosted) {
    Finish(base::Fault{base::FaultKind::HostedVideo,
                       found.hosted->site + ": " + found.hosted->address});
  } else if (!found.follow.empty() && !followed_) {
    followed_ = true;
    address_ = std::move(found.follow);
    Fetch();
  } else {
    Finish(base::Fault{base::FaultKind::NoVideoFoundOnPage, "no video found on this page"});
  }
}

void WebPageLookup::Finish(base::Outcome<ResolvedVideo> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this lookup
}

} // namespace vidtrawl::pagesearch
