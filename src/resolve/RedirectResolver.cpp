#include "resolve/RedirectResolver.h"

#include "base/ControlCharacters.h"
#include "net/HostAndPort.h"
#include "net/PumpedSocket.h"
#include "net/UrlHelpers.h"
#include "resolve/RedirectAnswer.h"
#include "resolve/RedirectRequest.h"

namespace vidtrawl::resolve {

RedirectResolver::RedirectResolver(host::Pump &pump, host::MessageBox &messages,
                                   net::ConnectionMap connections)
    : pump_(pump), messages_(messages), connections_(std::move(connections)) {}

std::string RedirectResolver::GetYoutubePathLnik(const std::string &sLink) {
  sYoutubeDownLink.clear(); // nothing of an earlier resolution may reach this result
  wsHost = sLink;
  wsLink.assign(1, '/'); // an address without a path asks for the root
  net::SplitURL(wsHost, wsLink);
  bFindYoutubeFinish = false;
  const bool answered = Exchange();
  bFindYoutubeFinish = true;
  if (!answered) {
    sYoutubeDownLink.clear();
    return {};
  }
  sYoutubeDownLink = YoutubePathFromAnswer(sYoutubeDownLink);
  if (sYoutubeDownLink.empty())
    return {};
  return "http://" + wsHost + sYoutubeDownLink;
}

bool RedirectResolver::Exchange() {
  std::string error;
  const auto address = net::ParseHostAndPort(wsHost, kDefaultPort, error);
  if (!address) {
    ShowConnectionError(error);
    return false;
  }
  if (base::HasControlCharacter(wsLink)) {
    ShowConnectionError("Invalid path");
    return false;
  }
  if (stopRequested_ && stopRequested_())
    return false; // nothing new starts after a stop
  const net::ConnectionMap::Target target = connections_.Resolve(address->host, address->port);
  net::PumpedSocket socket(pump_, net::PumpedSocket::Clock::now() + timeout_, stopRequested_);
  if (!socket.Connect(target.host, target.port) ||
      !socket.Send(BuildRedirectRequest(wsHost, wsLink)) ||
      !socket.ReceiveFirst(sYoutubeDownLink)) {
    if (!socket.Stopped())
      ShowConnectionError(socket.Error());
    return false;
  }
  socket.Close();
  return true;
}

void RedirectResolver::ShowConnectionError(const std::string &description) {
  try {
    messages_.Show("Connection Error," + description, host::MessageBox::Buttons::Ok);
  } catch (...) {
    // a message that cannot be shown changes nothing
  }
}

} // namespace vidtrawl::resolve
