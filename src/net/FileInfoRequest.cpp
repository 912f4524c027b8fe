#include "net/FileInfoRequest.h"

#include "base/AsciiCase.h"
#include "net/HeaderBlock.h"
#include "net/UrlHelpers.h"
#include "net/Validators.h"

namespace vidtrawl::net {
namespace {

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

FileInfoRequest::FileInfoRequest(Session &session, const std::string &address, Done done,
                                 Requester requester)
    : request_(session, std::move(requester)), done_(std::move(done)) {
  request_.HeadOnly();
  if (CURL *easy = request_.Easy()) {
    // The length is read from the block here, also when it is not a number.
    curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  }
  request_.Begin(HeaderRequestAddress(address), {.ended = [this] { Ended(); }});
}

void FileInfoRequest::Ended() {
  Done done = std::move(done_);
  const RawHeaderBlock &headers = request_.Headers();
  if (headers.Overflowed()) {
    done(base::Fault{base::FaultKind::BadHeader, "the response headers are too long"});
    return;
  }
  // A server busy or failing for now says nothing of the file; one that does not do HEAD (501)
  // is asked with the GET.
  const long status = headers.Status();
  if (!request_.Succeeded() || headers.Block().empty() || status == 408 || status == 429 ||
      (status >= 500 && status != 501)) {
    done(request_.Failure());
    return;
  }
  const HeaderFields fields = ReadHeaderBlock(headers.Block());
  if (fields.sizeState == HeaderFields::Size::NotANumber) {
    done(base::Fault{base::FaultKind::BadHeader, "the server's Content-Length is not a number"});
    return;
  }
  RemoteFile file;
  file.exists = fields.fileExists && status != 404 && status != 410;
  // Any other answer but a 2xx is of an error page, not of the file: it says nothing of it.
  if (status < 200 || status >= 300) {
    done(std::move(file));
    return;
  }
  if (fields.sizeState == HeaderFields::Size::Number && fields.fileSize < 18446744073709551616.0)
    file.size = static_cast<std::uint64_t>(fields.fileSize);
  file.name = fields.remoteFileName;
  file.type = fields.remoteFileType;
  file.contentType = request_.ContentType();
  file.lastModified = fields.lastModified;
  file.version = StrongValidator(fields);
  done(std::move(file)); // last: the owner may destroy this request
}

} // namespace vidtrawl::net
