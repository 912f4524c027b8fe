#pragma once

#include "base/Outcome.h"
#include "net/Session.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vidtrawl::net {

// What a server says of a file without sending it.
struct RemoteFile {
  bool exists = false;               // not answered 404 or 410
  std::optional<std::uint64_t> size; // the Content-Length, when it gave one
  std::string name;                  // the name its Content-Disposition offers
  std::string type;                  // the Content-Type after its "/"
  std::string lastModified = "Not Available";
};

// A header request (HEAD, HTTP/1.0) for the file at an address: the answer,
// or a fault when none came (the connection failed, the headers were too
// long or a size that is no number).
base::Outcome<RemoteFile> AskFileInfo(Session &session, const std::string &address,
                                      const StopCheck &stop);

} // namespace vidtrawl::net
