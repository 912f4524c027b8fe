#include "sites/VideoLookup.h"

#include "pagesearch/VideoFiles.h"

#include <algorithm>

namespace vidtrawl::sites {

VideoLookup::VideoLookup(net::Session &session, const Site *site, std::string page,
                         net::ProgressSink progress, Done done, net::Requester requester)
    : session_(session), requester_(std::move(requester)), site_(site), page_(std::move(page)),
      done_(std::move(done)), early_(session.Loop()) {
  if (site_ != nullptr)
    requester_.agent = AgentFor(*site_);
  if (site_ == nullptr || site_->kind == SiteKind::VideoFile) {
    early_.Start(std::chrono::milliseconds(0), [this] {
      if (site_ == nullptr)
        Finish(base::Fault{base::FaultKind::UnsupportedSite, "the address is no supported site's"});
      else
        Finish(pagesearch::ResolvedVideo{page_, {}, pagesearch::ProtocolOfAddress(page_)});
    });
    return;
  }
  if (site_->kind == SiteKind::AnyPage) {
    anyPage_ = std::make_unique<pagesearch::WebPageLookup>(
        session_, page_, std::move(progress),
        [this](base::Outcome<pagesearch::ResolvedVideo> outcome) { Finish(std::move(outcome)); },
        requester_);
    return;
  }
  fetch_ = std::make_unique<net::PageFetch>(
      session_, page_, std::move(progress),
      [this](base::Outcome<net::Page> text) {
        if (text.Failed())
          Finish(text.Failure());
        else
          Read(text.Value());
      },
      net::kMaxPageBytes, requester_);
}

void VideoLookup::Read(const net::Page &page) {
  PageFinding found = site_->parse(page.text, page_);
  title_ = std::move(found.title);
  requester_.trace(base::TraceTopic::Page,
                   std::string(site_->name) + "'s rule: " +
                       (!found.player.empty() ? "the video's address is asked of " + found.player
                        : found.video.empty() ? std::string("the page names no video")
                                              : "the page names " + found.video));
  if (!found.player.empty()) {
    const std::chrono::milliseconds timeout =
        std::min(PlayerLookup::kDefaultTimeout, session_.Limits().silence);
    player_ = std::make_unique<PlayerLookup>(
        session_, found.player, timeout, [this](PlayerLookup::Answer answer) {
          if (!answer.problem.empty())
            Finish(base::Fault{base::FaultKind::PlayerLookup, std::move(answer.problem)});
          else if (answer.address.empty())
            Finish(base::Fault{base::FaultKind::SitePageNamesNoVideo, "the page names no video"});
          else
            Finish(pagesearch::ResolvedVideo{std::move(answer.address), std::move(title_)});
        });
    return;
  }
  if (found.video.empty())
    Finish(base::Fault{base::FaultKind::SitePageNamesNoVideo, "the page names no video"});
  else if (pagesearch::NamesStreamingPlaylist(found.video))
    Finish(base::Fault{base::FaultKind::StreamingPlaylist, found.video});
  else
    Finish(pagesearch::ResolvedVideo{std::move(found.video), std::move(title_)});
}

void VideoLookup::Finish(base::Outcome<pagesearch::ResolvedVideo> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this lookup
}

} // namespace vidtrawl::sites
