#include "resolve/PageResolver.h"

#include "net/PageFetch.h"

namespace vidtrawl::resolve {

PageResolver::PageResolver(net::Session &session, RedirectResolver &player)
    : session_(session), player_(player) {}

base::Outcome<std::string> PageResolver::Resolve(const Site *site, const std::string &page,
                                                 const net::ProgressSink &progress,
                                                 const net::StopCheck &stop) {
  if (site == nullptr)
    return base::Fault{base::FaultKind::UnsupportedSite, "the address is no supported site's"};
  base::Outcome<std::string> text = net::FetchPage(session_, page, progress, stop);
  if (!text.Done())
    return text;
  std::string playerProblem;
  const std::string address = site->parse(text.Value(), page, [&](const std::string &player) {
    RedirectResolver::Answer answer = player_.Resolve(player, stop);
    playerProblem = std::move(answer.problem);
    return std::move(answer.address);
  });
  if (stop && stop())
    return base::Stopped{};
  if (!playerProblem.empty())
    return base::Fault{base::FaultKind::PlayerLookup, playerProblem};
  if (address.empty())
    return base::Fault{base::FaultKind::NoVideoInPage, "the page names no video"};
  return address;
}

} // namespace vidtrawl::resolve
