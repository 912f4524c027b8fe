#include "net/PageFetch.h"

#include "base/AsciiCase.h"

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

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
                     std::size_t maxBytes, Agent agent)
    : request_(session, kMaxHeaderBlock, agent), progress_(std::move(progress)),
      done_(std::move(done)), maxBytes_(maxBytes) {
  // Not http or https: the request is not made, and the end says why.
  request_.Begin(
      IsHttpAddress(address) ? address : std::string(),
      {.open =
           [this](std::string_view) {
             return [this](const char *data, std::size_t size) {
               tooLarge_ = page_.text.size() + size > maxBytes_;
               if (!tooLarge_)
                 page_.text.append(data, size);
               return !tooLarge_;
             };
           },
       .received =
           [this] {
             if (!progress_)
               return;
             const std::int64_t length = request_.AnnouncedLength();
             progress_(page_.text.size(), length > 0 ? static_cast<std::uint64_t>(length) : 0);
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

void PageFetch::Ended() {
  Done done = std::move(done_);
  if (tooLarge_) {
    done(base::Fault{base::FaultKind::PageTooLarge,
                     "the page is larger than " + LimitText(maxBytes_)});
    return;
  }
  if (!request_.Succeeded() || !request_.Opened()) {
    done(request_.Failure());
    return;
  }
  page_.contentType = request_.ContentType();
  char *effective = nullptr;
  if (curl_easy_getinfo(request_.Easy(), CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
      effective != nullptr)
    page_.address = effective;
  done(std::move(page_)); // last: the owner may destroy this fetch
}

} // namespace vidtrawl::net
