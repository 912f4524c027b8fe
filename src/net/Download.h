#pragma once

#include "host/Pump.h"
#include "net/ConnectionMap.h"
#include "net/DownloadEvents.h"
#include "net/PartialFile.h"
#include "net/TransferFault.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vidtrawl::net {

// The one component through which data is moved over HTTP: a page fetch, a
// header request or a video transfer, one at a time, synchronously, yielding
// to the host's pump between steps.
//
// A transfer writes LocalFile + ".part" (see PartialFile) and renames it
// over LocalFile before DownloadComplete; after an error or a cancel the
// partial file holds exactly the bytes the last event counted. Between
// events the file may run ahead of them: the body goes to the file as
// curl receives it, in curl's large blocks, while the events still come
// one per 2048-byte chunk on the caller's thread.
class Download {
public:
  static constexpr const char *kAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
  static constexpr std::size_t kChunkSize = 2048;
  static constexpr std::size_t kMaxHeaderBlock = 64 * 1024;
  static constexpr const char *kCouldNotFind = "Could not find URL";
  static constexpr const char *kCouldNotRead = "Could not read URL";

  Download(host::Pump &pump, ConnectionMap connections = ConnectionMap::FromEnvironment());
  ~Download();
  Download(const Download &) = delete;
  Download &operator=(const Download &) = delete;

  void SetEvents(DownloadEvents *events) { events_ = events; }

  // Properties.
  bool FileExists() const { return fileExists_; }
  const std::string &LastModified() const { return lastModified_; }
  double FileSize() const { return fileSize_; }
  void SetFileSize(double New_FileSize) { fileSize_ = New_FileSize; }
  const std::string &LocalFile() const { return localFile_; }
  void SetLocalFile(const std::string &New_LocalFile) { localFile_ = New_LocalFile; }
  // A partial file claimed already, for the next transfer only, instead of
  // one of LocalFile's name (nullptr: none).
  void SetTarget(PartialFile *target) { target_ = target; }
  const std::string &RemoteFileName() const { return remoteFileName_; }
  const std::string &RemoteFileType() const { return remoteFileType_; }
  const std::string &Url() const { return url_; }
  void SetUrl(const std::string &New_Url) { url_ = New_Url; }
  const std::string &SiteUser() const { return siteUser_; }
  void SetSiteUser(const std::string &New_SiteUser) { siteUser_ = New_SiteUser; }
  const std::string &SitePassword() const { return sitePassword_; }
  void SetSitePassword(const std::string &New_SitePassword) { sitePassword_ = New_SitePassword; }

  // Operations. StartDownload and RequestInformation throw TransferFault for
  // the faults they do not report through events.
  bool StartDownload();
  void CancelDownload() { bCancelRequested_ = true; }
  void RequestInformation();

  // The user's stop of the whole operation, asked after every call of the
  // pump: while it holds, a wait ends within one pump interval, a running
  // transfer ends as cancelled, and nothing new is sent (a transfer ends
  // cancelled at once, a header request reports no response).
  void SetStopCheck(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
  }
  bool StopRequested() const { return stopRequested_ && stopRequested_(); }

  // Why the last transfer or header request failed, for the user: curl's
  // reason, the server's status, or a body shorter than announced. Empty
  // after a success.
  const std::string &FailureReason() const { return failureReason_; }

  // State visible for hosts and tests.
  bool HasSession() const;
  // Bytes received by the running (or last) transfer.
  std::int64_t BytesReceived() const { return bytesReceived_; }
  bool InfoRequested() const { return bInfoRequested_; }
  bool CloseSessionAfterInfo() const { return bCloseSessionAfterInfo_; }
  const ConnectionMap &Connections() const { return connections_; }
  void SetConnections(ConnectionMap connections) { connections_ = std::move(connections); }

  // Network time limits: a connection attempt, and a transfer that receives
  // nothing at all for this long, give up.
  void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds idle) {
    connectTimeout_ = connect;
    idleTimeout_ = idle;
  }

private:
  struct Session;
  struct ConnectionPool;

  void OpenSession();
  void CloseSession();
  bool RunTransfer();
  bool Cancelled(std::int64_t total);
  bool ReadFailed(std::string reason);
  bool CancelRequested() const { return bCancelRequested_ || StopRequested(); }
  void Yield() { pump_.Yield(); }

  host::Pump &pump_;
  ConnectionMap connections_;
  DownloadEvents *events_ = nullptr;

  bool fileExists_ = false;
  std::string lastModified_;
  double fileSize_ = 0;
  std::string localFile_;
  PartialFile *target_ = nullptr;
  std::string remoteFileName_;
  std::string remoteFileType_;
  std::string url_;
  std::string siteUser_;
  std::string sitePassword_;

  std::function<bool()> stopRequested_;
  std::string failureReason_;
  // The address the last header request asked about: its size is what a
  // transfer of that same address is held to when it announces none.
  std::string infoUrl_;
  bool bCancelRequested_ = false;
  std::int64_t bytesReceived_ = 0;
  // Connections outlive the session that opened them, so that the next
  // request to the same server needs no new one (declared first: it goes last).
  std::unique_ptr<ConnectionPool> pool_;
  std::unique_ptr<Session> hSession_;
  bool bInfoRequested_ = false;
  bool bCloseSessionAfterInfo_ = false;

  std::chrono::milliseconds connectTimeout_{30000};
  std::chrono::milliseconds idleTimeout_{60000};
};

} // namespace vidtrawl::net
