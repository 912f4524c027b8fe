#include "net/FileTransfer.h"

#include "net/CurlRequest.h"
#include "net/HeaderBlock.h"
#include "net/PageFetch.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace vidtrawl::net {
namespace {

constexpr std::size_t kMaxHeaderBlock = 64 * 1024;

// What the server calls this version of the file, for a later If-Range: a
// strong ETag, else its Last-Modified date; nothing when it names neither.
std::string VersionOf(const HeaderFields &fields) {
  if (!fields.etag.empty() && fields.etag.rfind("W/", 0) != 0)
    return fields.etag;
  return fields.lastModified == "Not Available" ? std::string() : fields.lastModified;
}

// The first byte's offset of a Content-Range "bytes FIRST-LAST/LENGTH".
std::optional<std::uint64_t> RangeStart(std::string_view range) {
  if (range.rfind("bytes ", 0) != 0)
    return std::nullopt;
  range.remove_prefix(6);
  std::uint64_t first = 0;
  const auto [end, error] = std::from_chars(range.data(), range.data() + range.size(), first);
  if (error != std::errc() || end == range.data() || end == range.data() + range.size() ||
      *end != '-')
    return std::nullopt;
  return first;
}

// One request for the file from the partial file's end on (from its start
// when it is empty): the bytes received in this request, or how it ended.
// `restart` is set when the answer says the partial file's bytes are not
// the file's beginning after all.
base::Outcome<std::uint64_t> Receive(Session &session, const std::string &address,
                                     PartialFile &file, std::uint64_t expected,
                                     const ProgressSink &progress, const StopCheck &stop,
                                     bool &restart) {
  CurlRequest request(session, kMaxHeaderBlock, stop);
  if (request.Valid()) {
    const TimeLimits &limits = session.Limits();
    curl_easy_setopt(request.Easy(), CURLOPT_LOW_SPEED_LIMIT,
                     static_cast<long>(limits.lowSpeedBytes));
    curl_easy_setopt(request.Easy(), CURLOPT_LOW_SPEED_TIME,
                     std::max<long>(1, static_cast<long>(limits.silence.count() / 1000)));
    request.AskFrom(file.Offset(), file.Version());
  }
  if (std::optional<base::Ended> refused = OpenBody(request, address, stop)) {
    // The part asked for lies beyond the file as it is now: the partial file
    // holds all of it (the length it gives is its own), or it is of no use.
    if (file.Offset() > 0 && request.Headers().Status() == 416) {
      const std::string range = ReadHeaderBlock(request.Headers().Block()).contentRange;
      if (range == "bytes */" + std::to_string(file.Offset()))
        return file.Offset();
      restart = true;
    }
    return std::move(*refused);
  }
  const HeaderFields fields = ReadHeaderBlock(request.Headers().Block());
  if (request.Headers().Status() == 206) {
    if (RangeStart(fields.contentRange) != file.Offset()) {
      restart = true;
      return base::Fault{base::FaultKind::HttpStatus,
                         "the server sent another part of the file than was asked for"};
    }
  } else if (file.Offset() > 0) {
    // The whole file: it changed, or the server sends no parts.
    if (std::optional<base::Fault> fault = file.Restart())
      return std::move(*fault);
  }
  file.SetVersion(VersionOf(fields));

  request.SetSink([&file](const char *data, std::size_t size) { return file.Write(data, size); });
  const std::uint64_t before = file.Offset();
  const std::int64_t own = request.AnnouncedLength();
  const std::uint64_t announced =
      own > 0 ? before + static_cast<std::uint64_t>(own) : std::max(expected, before);
  std::uint64_t received = 0;
  for (;;) {
    request.DriveBeyond(received);
    if (std::optional<base::Fault> fault = file.WriteFault())
      return std::move(*fault);
    received = request.Delivered();
    if (request.Stopped())
      return base::Stopped{};
    if (progress)
      progress(before + received, announced);
    // The host runs after each part that arrived: a stop or an edit may come.
    session.Pump().Yield();
    if (stop && stop())
      return base::Stopped{};
    if (request.Finished())
      break;
  }
  if (!request.Succeeded())
    return request.Failure();
  if (before + received < announced)
    return base::Fault{base::FaultKind::ShortBody, "the body ended after " +
                                                       std::to_string(before + received) + " of " +
                                                       std::to_string(announced) + " bytes"};
  return before + received;
}

} // namespace

base::Outcome<std::uint64_t> TransferFile(Session &session, const std::string &address,
                                          PartialFile &file, std::uint64_t expected,
                                          const ProgressSink &progress, const StopCheck &stop) {
  bool restart = false;
  base::Outcome<std::uint64_t> received =
      Receive(session, address, file, expected, progress, stop, restart);
  if (restart) {
    // The bytes on disk are of no use: the whole file, once more.
    if (std::optional<base::Fault> fault = file.Restart())
      return std::move(*fault);
    file.SetVersion({});
    restart = false;
    received = Receive(session, address, file, expected, progress, stop, restart);
  }
  if (!received.Done())
    return received;
  if (std::optional<base::Fault> fault = file.Complete())
    return std::move(*fault);
  return received;
}

} // namespace vidtrawl::net
