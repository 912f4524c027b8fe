#pragma once

#include "base/Outcome.h"
#include "net/CurlRequest.h"
#include "net/Session.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vidtrawl::net {

// What a server says of a file without sending it.
struct RemoteFile {
  bool exists = false;               // not answered 404 or 410
  std::optional<std::uint64_t> size; // the Content-Length, when it gave one
  std::string name;                  // the name its Content-Disposition offers
  std::string type;                  // the Content-Type after its "/"
  std::string contentType;           // the whole Content-Type, as sent
  std::string lastModified = "Not Available";
  std::string version; // what tells this version of the file from others (StrongValidator)
};

// A header request (HEAD, HTTP/1.0) for the file at an address: the answer,
// or a fault when none came (the connection failed, the headers were too
// long or a size that is no number). It starts at once and ends on the
// loop; destroying it stops it without a word.
class FileInfoRequest {
public:
  using Done = std::function<void(base::Outcome<RemoteFile>)>;

  FileInfoRequest(Session &session, const std::string &address, Done done,
                  Requester requester = {});

private:
  void Ended();

  CurlRequest request_;
  Done done_;
};

} // namespace vidtrawl::net
