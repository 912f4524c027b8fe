#pragma once

#include "base/FileDescriptor.h"
#include "channel/HandedItem.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vidtrawl::gui {

// One running program per user session, whatever its display is called.
// The first to start holds a lock and listens on a local socket beside it in
// the user's runtime folder; a later one hands its request (the addresses of
// its command line) to it and ends, and the browser's host hands it items. A socket needs no
// session bus, so this works under a bare X server too; the lock goes with the program however it
// ends, so a socket left by a crash is taken over, not mistaken for a running program.
class SingleInstance final : public QObject {
public:
  struct Request {
    std::vector<std::string> addresses;
    // The desktop's token for raising a window on behalf of the later start
    // (Wayland's XDG_ACTIVATION_TOKEN); empty when it gave none.
    std::string activationToken;
    // Items with what came with them, from the browser's host.
    std::vector<channel::HandedItem> items = {};
  };
  using Handler = std::function<void(const Request &)>;

  // `path`: the socket; empty: the one of this user session.
  explicit SingleInstance(QString path = {});
  ~SingleInstance() override;

  // Whether this is the running program: true when no other holds the lock
  // (or none can be taken, so that nothing is left to hand over to). From
  // then on later starts may connect; their requests wait for Serve.
  bool Claim();
  // Requests reach `handler` from now on, those that came before first.
  void Serve(Handler handler);
  // Hands a request to the running program; true once it has taken it,
  // false when it did not within `timeout`.
  bool HandOver(const Request &request, std::chrono::milliseconds timeout) const;

  const QString &Path() const { return path_; }

private:
  void Accept();
  void Deliver(const Request &request);

  QString path_;
  base::FileDescriptor lock_;
  QLocalServer server_;
  Handler handler_;
  std::vector<Request> waiting_;
};

} // namespace vidtrawl::gui
