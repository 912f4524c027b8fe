#include "net/Download.h"

#include "base/AsciiCase.h"
#include "net/CurlRequest.h"
#include "net/HeaderBlock.h"
#include "net/PartialFile.h"
#include "net/UrlHelpers.h"

#include <curl/curl.h>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace vidtrawl::net {

// The open internet session: curl's connection cache, shared by the header
// request and the transfer that follows it.
struct Download::Session {
  explicit Session(CURLM *handle) : multi(handle) {}
  ~Session() { curl_multi_cleanup(multi); }
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;
  CURLM *multi;
};

struct Download::ConnectionPool {
  ConnectionPool() : share(curl_share_init()) {
    if (share != nullptr) {
      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
      curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
  }
  ~ConnectionPool() { curl_share_cleanup(share); }
  ConnectionPool(const ConnectionPool &) = delete;
  ConnectionPool &operator=(const ConnectionPool &) = delete;
  CURLSH *share;
};

namespace {

// The address of the header request: the host is taken from the start of
// the text (after "http://", if any) and the path from its first "/" on.
std::string HeaderRequestAddress(const std::string &url) {
  if (base::StartsWithIgnoringCase(url, "https://"))
    return "https://" + url.substr(8);
  std::string host = url;
  std::string path;
  net::SplitURL(host, path);
  return "http://" + host + path;
}

// Only full http and https addresses are opened for a transfer.
bool IsTransferAddress(const std::string &url) {
  return base::StartsWithIgnoringCase(url, "http://") ||
         base::StartsWithIgnoringCase(url, "https://");
}

std::int64_t ProgressValue(std::int64_t total, double fileSize) {
  if (!(fileSize > 0))
    return total;
  const double percent = std::nearbyint(static_cast<double>(total) / fileSize * 100.0);
  constexpr double kMax = 9.2e18; // within std::int64_t
  if (!(percent < kMax))
    return static_cast<std::int64_t>(kMax);
  return static_cast<std::int64_t>(percent);
}

} // namespace

Download::Download(host::Pump &pump, ConnectionMap connections)
    : pump_(pump), connections_(std::move(connections)) {
  InitCurlOnce();
  pool_ = std::make_unique<ConnectionPool>();
}

Download::~Download() = default;

bool Download::HasSession() const {
  return hSession_ != nullptr;
}

void Download::OpenSession() {
  CURLM *multi = curl_multi_init();
  if (multi == nullptr) {
    hSession_.reset(); // no session: the next open fails
    return;
  }
  hSession_ = std::make_unique<Session>(multi);
}

void Download::CloseSession() {
  hSession_.reset();
}

void Download::RequestInformation() {
  bInfoRequested_ = true;
  infoUrl_ = url_;
  failureReason_.clear();
  const std::string address = HeaderRequestAddress(url_);
  Yield();
  if (!hSession_)
    OpenSession();
  Yield();

  std::optional<CurlRequest> request;
  try {
    if (hSession_ && !StopRequested())
      request.emplace(hSession_->multi, pool_->share, pump_,
                      CurlRequest::Limits{connectTimeout_, idleTimeout_}, connections_,
                      kMaxHeaderBlock, [this] { return StopRequested(); });
    if (!request) {
      // Stopped before it was sent: as if no response had arrived.
      Yield();
      fileExists_ = false;
      lastModified_ = "Not Available";
      fileSize_ = -1;
    } else if (request->Valid()) {
      CURL *easy = request->Easy();
      curl_easy_setopt(easy, CURLOPT_USERAGENT, kAgent);
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
      // The length is read from the block here, also when it is not a number.
      curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
      curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
      if (!siteUser_.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, siteUser_.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, sitePassword_.c_str());
      }
      Yield();
      request->Begin(address);
      request->DriveToEnd();
      Yield();
      const RawHeaderBlock &headers = request->Headers();
      if (request->Succeeded() && !headers.Overflowed() && !headers.Block().empty()) {
        const HeaderFields fields = ReadHeaderBlock(headers.Block());
        lastModified_ = fields.lastModified;
        Yield();
        if (fields.sizeState == HeaderFields::Size::NotANumber)
          throw TransferFault(TransferFault::Kind::HeaderValue,
                              "the content-length value of " + url_ + " is not a number");
        fileSize_ = fields.fileSize;
        Yield();
        remoteFileName_ = fields.remoteFileName;
        Yield();
        remoteFileType_ = fields.remoteFileType;
        Yield();
        fileExists_ = fields.fileExists && headers.Status() != 404 && headers.Status() != 410;
      } else {
        Yield();
        failureReason_ =
            headers.Overflowed() ? "the response headers are too long" : request->FailureText();
        fileExists_ = false;
        lastModified_ = "Not Available";
        fileSize_ = -1;
      }
    }
  } catch (...) {
    request.reset();
    if (bCloseSessionAfterInfo_)
      CloseSession();
    throw;
  }
  Yield();
  request.reset();
  if (bCloseSessionAfterInfo_)
    CloseSession();
}

bool Download::StartDownload() {
  try {
    return RunTransfer();
  } catch (...) {
    CloseSession();
    throw;
  }
}

bool Download::RunTransfer() {
  PartialFile *const claimed = std::exchange(target_, nullptr);
  bCancelRequested_ = false;
  bytesReceived_ = 0;
  failureReason_.clear();
  Yield();
  if (StopRequested()) // nothing new starts after a stop
    return Cancelled(0);
  if (!hSession_)
    OpenSession();
  Yield();

  bCloseSessionAfterInfo_ = false;
  if (!bInfoRequested_) {
    try {
      RequestInformation();
    } catch (...) {
      bCloseSessionAfterInfo_ = true;
      throw;
    }
  }
  bCloseSessionAfterInfo_ = true;
  Yield();
  if (StopRequested()) // during the header request: the transfer does not start
    return Cancelled(0);

  std::optional<CurlRequest> request;
  if (hSession_ && IsTransferAddress(url_)) {
    request.emplace(hSession_->multi, pool_->share, pump_,
                    CurlRequest::Limits{connectTimeout_, idleTimeout_}, connections_,
                    kMaxHeaderBlock, [this] { return CancelRequested(); });
    if (request->Valid()) {
      curl_easy_setopt(request->Easy(), CURLOPT_USERAGENT, kAgent);
      request->Begin(url_);
      request->DriveUntilBody();
    }
  }
  if (request && request->GaveUp()) {
    request.reset();
    CloseSession();
    return Cancelled(0);
  }
  if (!request || !request->Valid() || !request->Opened()) {
    failureReason_ = request ? request->FailureText() : "";
    if (failureReason_.empty())
      failureReason_ = !hSession_                 ? "no internet session"
                       : !IsTransferAddress(url_) ? "not an http or https address"
                                                  : "no answer";
    request.reset();
    if (events_ != nullptr)
      events_->DownloadError(kCouldNotFind);
    return false;
  }

  Yield();
  std::optional<PartialFile> own;
  PartialFile &file = claimed != nullptr ? *claimed : own.emplace(localFile_);
  request->SetSink([&file](const char *data, std::size_t size) { return file.Write(data, size); });
  // A body that announces no length of its own (or none worth having) is
  // held to what the header request for this address announced.
  const auto expected = [&]() -> double {
    const std::int64_t own = request->AnnouncedLength();
    if (own > 0)
      return static_cast<double>(own);
    return infoUrl_ == url_ && fileSize_ > 0 ? fileSize_ : 0;
  };

  std::int64_t total = 0;
  // The connection and the session end first; the partial file keeps
  // exactly the bytes the events counted.
  const auto giveUp = [&] {
    request.reset();
    CloseSession();
    file.Abandon(static_cast<std::uint64_t>(total));
  };
  for (;;) {
    Yield();
    request->DriveUntilDelivered(static_cast<std::uint64_t>(total) + kChunkSize);
    if (file.Failed()) { // raises no event: the fault reaches the caller
      giveUp();
      file.ThrowIfFailed();
    }
    const auto read = static_cast<std::int64_t>(std::min<std::uint64_t>(
        request->Delivered() - static_cast<std::uint64_t>(total), kChunkSize));
    if (read == 0 && CancelRequested()) {
      giveUp();
      return Cancelled(total);
    }
    if (read == 0 && !request->Succeeded()) {
      Yield();
      std::string reason = request->FailureText();
      giveUp();
      return ReadFailed(std::move(reason));
    }
    if (read == 0 && static_cast<double>(total) < expected()) {
      std::string reason = "the body ended after " + std::to_string(total) + " of " +
                           std::to_string(static_cast<std::int64_t>(expected())) + " bytes";
      giveUp();
      return ReadFailed(std::move(reason));
    }
    total += read;
    bytesReceived_ = total;
    Yield();
    if (events_ != nullptr)
      events_->DownloadProgress(ProgressValue(total, fileSize_));
    Yield();
    if (CancelRequested()) {
      giveUp();
      return Cancelled(total);
    }
    if (read == 0)
      break;
  }

  request.reset();
  CloseSession();
  file.Complete();
  if (events_ != nullptr)
    events_->DownloadComplete();
  return true;
}

bool Download::Cancelled(std::int64_t total) {
  Yield();
  if (events_ != nullptr)
    events_->DownloadCancelled(total);
  return false;
}

bool Download::ReadFailed(std::string reason) {
  failureReason_ = std::move(reason);
  if (events_ != nullptr)
    events_->DownloadError(kCouldNotRead);
  return false;
}

} // namespace vidtrawl::net
