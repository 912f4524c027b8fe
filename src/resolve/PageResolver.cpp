#include "resolve/PageResolver.h"

#include "net/PageFetch.h"
#include "resolve/VideoFiles.h"

namespace vidtrawl::resolve {

PageResolver::PageResolver(net::Session &session, RedirectResolver &player)
    : session_(session), player_(player) {}

base::Outcome<ResolvedVideo> PageResolver::Resolve(const Site *site, const std::string &page,
                                                   const net::ProgressSink &progress,
                                                   const net::StopCheck &stop) {
  if (site == nullptr)
    return base::Fault{base::FaultKind::UnsupportedSite, "the address is no supported site's"};
  if (site->parse == nullptr)
    return ResolvedVideo{page, {}};
  base::Outcome<std::string> text = net::FetchPage(session_, page, progress, stop);
  if (text.WasStopped())
    return base::Stopped{};
  if (text.Failed())
    return text.Failure();
  std::string playerProblem;
  ResolvedVideo video;
  video.address = site->parse(text.Value(), page, [&](const std::string &player) {
    RedirectResolver::Answer answer = player_.Resolve(player, stop);
    playerProblem = std::move(answer.problem);
    return std::move(answer.address);
  });
  if (stop && stop())
    return base::Stopped{};
  if (!playerProblem.empty())
    return base::Fault{base::FaultKind::PlayerLookup, playerProblem};
  if (video.address.empty())
    return site->domain.empty()
               ? base::Fault{base::FaultKind::NoVideoOnPage, "no video found on this page"}
               : base::Fault{base::FaultKind::NoVideoInPage, "the page names no video"};
  if (NamesStreamingPlaylist(video.address))
    return base::Fault{base::FaultKind::StreamingPlaylist, video.address};
  if (site->title != nullptr)
    video.title = site->title(text.Value(), page);
  return video;
}

} // namespace vidtrawl::resolve
