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

RedirectResolver::Answer RedirectResolver::Fail(const std::string &problem, bool tell) {
  if (tell) {
    try {
      messages_.Show("Connection Error," + problem, host::MessageBox::Buttons::Ok);
    } catch (...) {
      // a message that cannot be shown changes nothing
    }
  }
  return {{}, problem};
}

RedirectResolver::Answer RedirectResolver::Resolve(const std::string &playerAddress,
                                                   const net::StopCheck &stop) {
  std::string host = playerAddress;
  std::string path(1, '/'); // an address without a path asks for the root
  net::SplitURL(host, path);
  std::string error;
  const auto address = net::ParseHostAndPort(host, kDefaultPort, error);
  if (!address)
    return Fail(error, true);
  if (base::HasControlCharacter(path))
    return Fail("Invalid path", true);
  if (stop && stop())
    return {}; // nothing new starts after a stop
  const net::ConnectionMap::Target target = connections_.Resolve(address->host, address->port);
  net::PumpedSocket socket(pump_, net::PumpedSocket::Clock::now() + timeout_, stop);
  std::string head;
  if (!socket.Connect(target.host, target.port) || !socket.Send(BuildRedirectRequest(host, path)) ||
      !socket.ReceiveHead(head))
    return socket.Stopped() ? Answer{} : Fail(socket.Error(), true);
  socket.Close();
  const std::string videoPath = YoutubePathFromAnswer(head);
  if (videoPath.empty())
    return Fail("the player host's answer names no video", false);
  return {"http://" + host + videoPath, {}};
}

} // namespace vidtrawl::resolve
