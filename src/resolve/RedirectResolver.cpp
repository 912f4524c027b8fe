#include "resolve/RedirectResolver.h"

#include "resolve/HostAndPort.h"
#include "resolve/PumpedSocket.h"
#include "resolve/RedirectAnswer.h"
#include "resolve/RedirectRequest.h"
#include "resolve/UrlHelpers.h"

#include <algorithm>

namespace vidtrawl::resolve {
namespace {

bool HasControlCharacter(const std::string &text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
}

std::string WithoutBrackets(const std::string &host) {
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    return host.substr(1, host.size() - 2);
  return host;
}

} // namespace

RedirectResolver::RedirectResolver(host::Pump &pump, host::MessageBox &messages,
                                   transfer::ConnectionMap connections)
    : pump_(pump), messages_(messages), connections_(std::move(connections)) {}

std::string RedirectResolver::GetYoutubePathLnik(const std::string &sLink) {
  sYoutubeDownLink.clear(); // nothing of an earlier resolution may reach this result
  wsHost = sLink;
  wsLink.assign(1, '/'); // an address without a path asks for the root
  SplitURL(wsHost, wsLink);
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
  const auto address = ParseHostAndPort(wsHost, kDefaultPort, error);
  if (!address) {
    ShowConnectionError(error);
    return false;
  }
  if (HasControlCharacter(wsLink)) {
    ShowConnectionError("Invalid path");
    return false;
  }
  const transfer::ConnectionMap::Target target = connections_.Resolve(address->host, address->port);
  PumpedSocket socket(pump_, PumpedSocket::Clock::now() + timeout_);
  if (!socket.Connect(WithoutBrackets(target.host), target.port) ||
      !socket.Send(BuildRedirectRequest(wsHost, wsLink)) ||
      !socket.ReceiveFirst(sYoutubeDownLink)) {
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
