#include "net/FileInfoRequest.h"

#include "base/AsciiCase.h"
#include "net/CurlRequest.h"
#include "net/HeaderBlock.h"
#include "net/UrlHelpers.h"

#include <cmath>

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

// The address of the header request: the host is taken from the start of
// the text (after "http://", if any) and the path from its first "/" on.
std::string HeaderRequestAddress(const std::string &url) {
  if (base::StartsWithIgnoringCase(url, "https://"))
    return "https://" + url.substr(8);
  std::string host = url;
  std::string path;
  SplitURL(host, path);
  return "http://" + host + path;
}

} // namespace

base::Outcome<RemoteFile> AskFileInfo(Session &session, const std::string &address,
                                      const StopCheck &stop) {
  if (stop && stop())
    return base::Stopped{};
  CurlRequest request(session, kMaxHeaderBlock, stop);
  if (!request.Valid())
    return base::Fault{base::FaultKind::Network, "no network session"};
  CURL *easy = request.Easy();
  curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  // The length is read from the block here, also when it is not a number.
  curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  request.Begin(HeaderRequestAddress(address));
  request.DriveToEnd();
  if (request.Stopped())
    return base::Stopped{};
  const RawHeaderBlock &headers = request.Headers();
  if (headers.Overflowed())
    return base::Fault{base::FaultKind::BadHeader, "the response headers are too long"};
  if (!request.Succeeded() || headers.Block().empty())
    return request.Failure();

  const HeaderFields fields = ReadHeaderBlock(headers.Block());
  if (fields.sizeState == HeaderFields::Size::NotANumber)
    return base::Fault{base::FaultKind::BadHeader, "the server's Content-Length is not a number"};
  RemoteFile file;
  file.exists = fields.fileExists && headers.Status() != 404 && headers.Status() != 410;
  if (fields.sizeState == HeaderFields::Size::Number && fields.fileSize < 18446744073709551616.0)
    file.size = static_cast<std::uint64_t>(fields.fileSize);
  file.name = fields.remoteFileName;
  file.type = fields.remoteFileType;
  file.lastModified = fields.lastModified;
  return file;
}

} // namespace vidtrawl::net
