#include "net/PageFetch.h"

#include "base/AsciiCase.h"
#include "net/HeaderBlock.h"

namespace vidtrawl::net {
namespace {

std::string LimitText(std::size_t maxBytes) {
  return maxBytes % (1 << 20) == 0 ? std::to_string(maxBytes >> 20) + " MiB"
                                   : std::to_string(maxBytes) + " bytes";
}

} // namespace

bool IsHttpAddress(const std::string &address) {
  return base::StartsWithIgnoringCase(address, "http://") ||
         base::StartsWithIgnoringCase(address, "https://");
}

PageFetch::PageFetch(Session &session, const std::string &address, ProgressSink progress, Done done,
                     std::size_t maxBytes, Requester requester, EndsAtHead endsAtHead)
    : request_(session, std::move(requester)), progress_(std::move(progress)),
      done_(std::move(done)), maxBytes_(maxBytes), endsAtHead_(std::move(endsAtHead)) {
  // Servers compress playlists, manifests and pages, some even when not asked to: every
  // encoding curl was built with is asked for, and whatever the answer is encoded with is decoded.
  if (CURL *easy = request_.Easy())
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  // Not http or https: the request is not made, and the end says why.
  request_.Begin(
      IsHttpAddress(address) ? address : std::string(),
      {.open = [this](std::string_view) -> CurlRequest::Sink {
         if (endsAtHead_ && endsAtHead_(Head())) {
           endedAtHead_ = true;
           return nullptr;
         }
         return [this](const char *data, std::size_t size) {
           tooLarge_ = text_.size() + size > maxBytes_;
           if (!tooLarge_)
             text_.append(data, size);
           return !tooLarge_;
         };
       },
       .received =
           [this] {
             if (!progress_)
               return;
             const std::int64_t length = request_.AnnouncedLength();
             progress_(text_.size(), length > 0 ? static_cast<std::uint64_t>(length) : 0);
           },
       .ended =
           [this, address] {
             if (!IsHttpAddress(address)) {
               Done done = std::move(done_);
               done(base::Fault{base::FaultKind::BadAddress, "not an http or https address"});
               return;
             }
             Ended();
           }});
}

Page PageFetch::Head() {
  Page head;
  head.contentType = request_.ContentType();
  char *effective = nullptr;
  if (curl_easy_getinfo(request_.Easy(), CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
      effective != nullptr)
    head.address = effective;
  head.fileName = ReadHeaderBlock(request_.Headers().Block()).remoteFileName;
  return head;
}

void PageFetch::Ended() {
  Done done = std::move(done_);
  if (endedAtHead_) {
    done(Head());
    return;
  }
  if (tooLarge_) {
    done(base::Fault{base::FaultKind::PageTooLarge,
                     "the page is larger than " + LimitText(maxBytes_)});
    return;
  }
  if (!request_.Succeeded() || !request_.Opened()) {
    done(request_.Failure());
    return;
  }
  Page page = Head();
  page.text = std::move(text_);
  done(std::move(page)); // last: the owner may destroy this fetch
}

} // namespace vidtrawl::net
