#include "net/FileTransfer.h"

#include "net/CurlRequest.h"
#include "net/PageFetch.h"

#include <algorithm>

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

} // namespace

base::Outcome<std::uint64_t> TransferFile(Session &session, const std::string &address,
                                          PartialFile &file, std::uint64_t expected,
                                          const ProgressSink &progress, const StopCheck &stop) {
  CurlRequest request(session, kMaxHeaderBlock, stop);
  if (request.Valid()) {
    const TimeLimits &limits = session.Limits();
    curl_easy_setopt(request.Easy(), CURLOPT_LOW_SPEED_LIMIT,
                     static_cast<long>(limits.lowSpeedBytes));
    curl_easy_setopt(request.Easy(), CURLOPT_LOW_SPEED_TIME,
                     std::max<long>(1, static_cast<long>(limits.silence.count() / 1000)));
  }
  if (std::optional<base::Ended> refused = OpenBody(request, address, stop))
    return std::move(*refused);

  request.SetSink([&file](const char *data, std::size_t size) { return file.Write(data, size); });
  const std::int64_t own = request.AnnouncedLength();
  const std::uint64_t announced = own > 0 ? static_cast<std::uint64_t>(own) : expected;
  std::uint64_t received = 0;
  for (;;) {
    request.DriveBeyond(received);
    if (std::optional<base::Fault> fault = file.WriteFault())
      return std::move(*fault);
    received = request.Delivered();
    if (request.Stopped())
      return base::Stopped{};
    if (progress)
      progress(received, announced);
    // The host runs after each part that arrived: a stop or an edit may come.
    session.Pump().Yield();
    if (stop && stop())
      return base::Stopped{};
    if (request.Finished())
      break;
  }
  if (!request.Succeeded())
    return request.Failure();
  if (received < announced)
    return base::Fault{base::FaultKind::ShortBody, "the body ended after " +
                                                       std::to_string(received) + " of " +
                                                       std::to_string(announced) + " bytes"};
  if (std::optional<base::Fault> fault = file.Complete())
    return std::move(*fault);
  return received;
}

} // namespace vidtrawl::net
