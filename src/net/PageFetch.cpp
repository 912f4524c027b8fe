#include "net/PageFetch.h"

#include "base/AsciiCase.h"
#include "net/CurlRequest.h"
#include "net/RawHeaderBlock.h"

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

} // namespace

bool IsHttpAddress(const std::string &address) {
  return base::StartsWithIgnoringCase(address, "http://") ||
         base::StartsWithIgnoringCase(address, "https://");
}

std::optional<base::Ended> OpenBody(CurlRequest &request, const std::string &address,
                                    const StopCheck &stop) {
  if (stop && stop())
    return base::Stopped{};
  if (!IsHttpAddress(address))
    return base::Fault{base::FaultKind::BadAddress, "not an http or https address"};
  if (!request.Valid())
    return base::Fault{base::FaultKind::Network, "no network session"};
  request.Begin(address);
  request.DriveUntilBody();
  if (request.Stopped())
    return base::Stopped{};
  if (!request.Opened())
    return request.Failure();
  return std::nullopt;
}

base::Outcome<std::string> FetchPage(Session &session, const std::string &address,
                                     const ProgressSink &progress, const StopCheck &stop,
                                     std::size_t maxBytes) {
  CurlRequest request(session, kMaxHeaderBlock, stop);
  if (std::optional<base::Ended> refused = OpenBody(request, address, stop))
    return std::move(*refused);

  std::string page;
  bool tooLarge = false;
  request.SetSink([&](const char *data, std::size_t size) {
    tooLarge = page.size() + size > maxBytes;
    if (!tooLarge)
      page.append(data, size);
    return !tooLarge;
  });
  const std::int64_t length = request.AnnouncedLength();
  const std::uint64_t announced = length > 0 ? static_cast<std::uint64_t>(length) : 0;
  while (!request.Finished()) {
    request.DriveBeyond(page.size());
    if (request.Stopped())
      return base::Stopped{};
    if (progress && !tooLarge)
      progress(page.size(), announced);
    session.Pump().Yield();
    if (stop && stop())
      return base::Stopped{};
  }
  if (tooLarge)
    return base::Fault{base::FaultKind::PageTooLarge,
                       "the page is larger than " + (maxBytes % (1 << 20) == 0
                                                         ? std::to_string(maxBytes >> 20) + " MiB"
                                                         : std::to_string(maxBytes) + " bytes")};
  if (!request.Succeeded())
    return request.Failure();
  return page;
}

} // namespace vidtrawl::net
