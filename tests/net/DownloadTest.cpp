// The transfer component against servers on loopback: what each request
// sends, the events each end of a transfer raises, and the files it leaves.
#include "net/Download.h"

#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Pattern;
using testing::RawResponse;
using testing::RawServer;
using testing::ReadFile;
using testing::WriteFile;

// The events as one text ("progress 50, complete"); the handler of
// progress event `cancelAt` cancels.
struct EventLog final : DownloadEvents {
  void DownloadComplete() override { Add("complete"); }
  void DownloadProgress(std::int64_t value) override {
    Add("progress " + std::to_string(value));
    if (download != nullptr && count == cancelAt)
      download->CancelDownload();
  }
  void DownloadError(const std::string &text) override { Add("error " + text); }
  void DownloadCancelled(std::int64_t at) override { Add("cancelled " + std::to_string(at)); }
  void Add(const std::string &event) { events += (count++ ? ", " : "") + event; }
  std::string events;
  int count = 0, cancelAt = 0;
  Download *download = nullptr;
};

const char *kNotFound = "error Could not find URL";

std::string Ok(const std::string &headers, const std::string &body = "") {
  return RawResponse("HTTP/1.1 200 OK", headers, body);
}
std::string Length(long size) {
  return size < 0 ? "" : "Content-Length: " + std::to_string(size) + "\r\n";
}
bool IsHead(const std::string &request) {
  return request.rfind("HEAD ", 0) == 0;
}

// /body/N: N bytes with their length; /open/N: without one; /loop and /start redirect (to itself,
// to /body/3000); /named names its file; /nan gives a length that is no number, /huge a header
// block past its limit, /stall nothing, /bad an unreadable status line, /closed a closed
// connection; all else is missing.
RawServer::Reply Site(const std::string &request) {
  const std::size_t start = request.find(' ') + 1;
  const std::string path = request.substr(start, request.find(' ', start) - start);
  const long n = std::strtol(path.c_str() + path.rfind('/') + 1, nullptr, 10);
  const std::string body = IsHead(request) ? "" : Pattern(n);
  if (path.rfind("/body/", 0) == 0 || path.rfind("/open/", 0) == 0)
    return {Ok(Length(path[1] == 'b' ? n : -1), body)};
  if (path == "/loop" || path == "/start")
    return {RawResponse("HTTP/1.1 302 Found",
                        path == "/loop" ? "Location: /loop\r\n" : "Location: /body/3000\r\n")};
  if (path == "/named")
    return {Ok("Content-Type: video/x-flv\r\nContent-Disposition: a; filename=v.flv\r\n"
               "Last-Modified: then\r\nContent-Length: 10\r\n")};
  if (path == "/nan")
    return {Ok("Last-Modified: new\r\nContent-Length: 12abc\r\n", "body")};
  if (path == "/huge")
    return {Ok(std::string(70000, 'x').insert(0, "X-Pad: ") + "\r\n" + Length(10))};
  if (path == "/stall" || path == "/bad" || path == "/closed")
    return {path == "/bad" ? "HTTP/1.1 abc\r\nContent-Length: 5\r\n\r\n" : "", path == "/stall"};
  return {RawResponse("HTTP/1.1 404 Not Found", "", IsHead(request) ? "" : "not found")};
}

class DownloadTest : public ::testing::Test {
protected:
  DownloadTest() {
    download.SetEvents(&log);
    log.download = &download;
    download.SetLocalFile(target.string());
    download.SetTimeouts(2000ms, 300ms);
  }
  // The request lines the server has seen ("HEAD /body/1").
  std::string Requests() const {
    std::string lines;
    for (const std::string &request : server.Requests())
      lines += (lines.empty() ? "" : ", ") + request.substr(0, request.find(" HTTP/"));
    return lines;
  }
  std::optional<std::string> Content(const fs::path &file) const {
    return fs::exists(fs::symlink_status(file)) ? std::optional(ReadFile(file)) : std::nullopt;
  }

  RawServer server{Site};
  testing::TempDir dir;
  fs::path target = dir / "v.flv";
  fs::path part = dir / "v.flv.vidtrawl-part";
  host::NoopPump pump;
  EventLog log;
  Download download{pump, ConnectionMap{}};
};

// Every end of a first transfer: its events, the file a complete transfer makes beside the
// earlier one (which stays), and the partial file (exactly the bytes the last event counted; an
// empty one goes). Lengths of -1 are not sent; bodies are Pattern(size).
TEST_F(DownloadTest, EachEndLeavesItsEventsTargetAndPartialFile) {
  const struct {
    long head, get, body;
    int cancelAt;
    const char *events;
    long target, part; // -1: no new file, no partial file
  } cases[] = {
      {0, 0, 0, 0, "progress 0, complete", 0, -1},
      {2049, 2049, 2049, 0, "progress 100, progress 100, progress 100, complete", 2049, -1},
      {-1, -1, 5000, 0, "progress 2048, progress 4096, progress 5000, progress 5000, complete",
       5000, -1},
      {-1, -1, 100000, 2, "progress 2048, progress 4096, cancelled 4096", -1, 4096},
      {-1, -1, 3000, 3, "progress 2048, progress 3000, progress 3000, cancelled 3000", -1, 3000},
      // Cut short of its own length, or of the header request's.
      {10000, 10000, 5000, 0, "progress 20, progress 41, progress 50, error Could not read URL", -1,
       5000},
      {10000, -1, 5000, 0, "progress 20, progress 41, progress 50, error Could not read URL", -1,
       5000},
      {100000, 0, 0, 0, "error Could not read URL", -1, -1},
      {3000, 3000, 5000, 0, "progress 68, progress 100, progress 100, complete", 3000, -1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.events);
    RawServer raw([&c](const std::string &request) {
      return RawServer::Reply{IsHead(request) ? Ok(Length(c.head))
                                              : Ok(Length(c.get), Pattern(c.body))};
    });
    WriteFile(target, "earlier");
    fs::remove(dir / "v (2).flv");
    fs::remove(part);
    Download fresh(pump, ConnectionMap{});
    EventLog seen;
    seen.download = &fresh;
    seen.cancelAt = c.cancelAt;
    fresh.SetEvents(&seen);
    fresh.SetUrl(raw.url("/v"));
    fresh.SetLocalFile(target.string());
    EXPECT_EQ(fresh.StartDownload(), c.target >= 0);
    EXPECT_EQ(seen.events, c.events);
    EXPECT_EQ(Content(target), "earlier");
    EXPECT_EQ(Content(dir / "v (2).flv"),
              c.target < 0 ? std::nullopt : std::optional(Pattern(c.target)));
    EXPECT_EQ(Content(part), c.part < 0 ? std::nullopt : std::optional(Pattern(c.part)));
  }
}

TEST_F(DownloadTest, AnAddressThatCannotBeOpenedRaisesOneErrorAndMakesNoFile) {
  const std::string port = std::to_string(server.port());
  const std::string urls[] = {server.url("/missing"),
                              server.url("/loop"),
                              "127.0.0.1:" + port + "/body/10",
                              "ftp://127.0.0.1:" + port + "/body/10",
                              "file:///etc/hostname",
                              "http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/",
                              "http://bad host/x",
                              ""};
  for (const std::string &url : urls) {
    log.events.clear();
    log.count = 0;
    download.SetUrl(url);
    EXPECT_FALSE(download.StartDownload()) << url;
    EXPECT_EQ(log.events, kNotFound) << url;
    EXPECT_FALSE(download.FailureReason().empty()) << url;
    EXPECT_FALSE(fs::exists(target)) << url;
    EXPECT_FALSE(fs::exists(part)) << url;
  }
}

// What stands at the partial name (or NAME) before the transfer: a stale partial file of the
// program's (it carries the mark) is replaced; anything else is left alone and the transfer
// fails with a local-file fault before any event. A NAME in the way is kept: the complete file
// takes the next free name.
TEST_F(DownloadTest, ThePartialFileIsClaimedSafely) {
  const fs::path sub = dir / "sub", outside = dir / "outside", part = sub / "v.flv.vidtrawl-part";
  const std::pair<std::string, bool> cases[] = {
      {"stale", true},      {"stale read-only", true}, {"target link", true},
      {"another's", false}, {"locked", false},         {"folder", false},
      {"link", false},      {"no folder", false},      {"file for folder", false}};
  for (const auto &[before, completes] : cases) {
    SCOPED_TRACE(before);
    fs::remove_all(sub);
    fs::create_directories(sub);
    WriteFile(outside, "outside");
    int held = -1; // a descriptor locked by "another copy"
    if (before.rfind("stale", 0) == 0 || before == "locked" || before == "another's")
      WriteFile(part, before);
    if (before != "another's" && fs::exists(part)) {
      ASSERT_EQ(::setxattr(part.c_str(), PartialFile::kMark, "1", 1, 0), 0);
    }
    if (before == "stale read-only")
      fs::permissions(part, fs::perms::owner_read);
    if (before == "locked")
      ::flock(held = ::open(part.c_str(), O_RDONLY | O_CLOEXEC), LOCK_EX);
    if (before == "target link" || before == "link")
      fs::create_symlink(outside, before == "link" ? part : sub / "v.flv");
    if (before == "folder")
      fs::create_directory(part);
    if (before == "no folder" || before == "file for folder")
      fs::remove_all(sub);
    if (before == "file for folder")
      WriteFile(sub, "x");
    log.events.clear();
    download.SetUrl(server.url("/body/5000"));
    download.SetLocalFile((sub / "v.flv").string());
    if (completes) {
      EXPECT_TRUE(download.StartDownload());
      EXPECT_EQ(ReadFile(sub / (before == "target link" ? "v (2).flv" : "v.flv")), Pattern(5000));
      EXPECT_FALSE(fs::exists(fs::symlink_status(part)));
    } else {
      EXPECT_THROW(download.StartDownload(), TransferFault);
      EXPECT_EQ(log.events, "");
    }
    EXPECT_EQ(ReadFile(outside), "outside");
    if (held >= 0 || before == "another's") {
      EXPECT_EQ(ReadFile(part), before);
    }
    if (held >= 0)
      ::close(held);
  }
  download.SetLocalFile("");
  EXPECT_THROW(download.StartDownload(), TransferFault);
}

// The first transfer of a component asks for the headers first; the
// percentages are rounded half to even against the size the last header
// request gave, which also limits a body of its address without a length.
TEST_F(DownloadTest, OnlyTheFirstTransferAsksForHeadersAndItsSizeCounts) {
  download.SetUrl(server.url("/missing"));
  EXPECT_FALSE(download.StartDownload());
  EXPECT_FALSE(download.FileExists());
  download.SetUrl(server.url("/open/100")); // FileSize stayed -1: progress counts bytes
  EXPECT_TRUE(download.StartDownload());
  download.SetUrl(server.url("/body/6144"));
  download.SetFileSize(16384); // 2048 bytes are 12.5 %
  EXPECT_TRUE(download.StartDownload());
  download.SetUrl(server.url("/body/1000"));
  download.RequestInformation();
  download.SetUrl(server.url("/body/5000")); // another address: its size is no limit
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(ReadFile(dir / "v (3).flv"), Pattern(5000)); // v.flv and v (2).flv came first
  EXPECT_EQ(log.events, "error Could not find URL, progress 100, progress 100, complete, "
                        "progress 12, progress 25, progress 38, progress 38, complete, "
                        "progress 205, progress 410, progress 500, progress 500, complete");
  EXPECT_EQ(Requests(), "HEAD /missing, GET /missing, GET /open/100, GET /body/6144, "
                        "HEAD /body/1000, GET /body/5000");
}

TEST_F(DownloadTest, RedirectsAndTheConnectionMapAreFollowed) {
  ConnectionMap map;
  ASSERT_TRUE(map.Add("video.example.test:80:127.0.0.1:" + std::to_string(server.port())));
  download.SetConnections(map);
  download.SetUrl("http://video.example.test/start");
  download.CancelDownload(); // before the start: no effect
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(ReadFile(target), Pattern(3000));
  EXPECT_EQ(download.FileSize(), 3000);
  EXPECT_EQ(Requests(), "HEAD /start, HEAD /body/3000, GET /start, GET /body/3000");
  download.SetUrl("http://video.example.test/loop");
  download.RequestInformation();
  EXPECT_FALSE(download.FileExists());
  EXPECT_EQ(download.FileSize(), -1);
}

TEST_F(DownloadTest, TheHeaderRequestSaysWhoAsksAndForWhat) {
  download.SetUrl(server.url("/body/3"));
  download.SetSitePassword("secret");
  download.RequestInformation(); // a password alone: anonymous
  download.SetSiteUser("bob");
  download.SetUrl("127.0.0.1:" + std::to_string(server.port()) + "/body/4?x=1&y=2");
  download.RequestInformation(); // no scheme: the host from the start of the text
  EXPECT_TRUE(download.FileExists());
  EXPECT_EQ(download.FileSize(), 4);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("HEAD /body/3 HTTP/1.0\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find(std::string("User-Agent: ") + Download::kAgent + "\r\n"),
            std::string::npos);
  EXPECT_EQ(requests[0].find("Authorization"), std::string::npos);
  EXPECT_EQ(requests[1].rfind("HEAD /body/4?x=1&y=2 HTTP/1.0\r\n", 0), 0u) << requests[1];
  EXPECT_NE(requests[1].find("Authorization: Basic Ym9iOnNlY3JldA==\r\n"), std::string::npos);
}

// A failed header request forgets the size and date the last one learnt but keeps the server's
// names for the file; a length that is no number is a fault, thrown once Last-Modified is read, and
// before anything else in a first transfer.
TEST_F(DownloadTest, AFailedHeaderRequestKeepsOnlyTheRemoteNames) {
  for (const std::string &url : {server.url("/huge"), server.url("/stall"), server.url("/bad"),
                                 server.url("/closed"), std::string("http://bad host/")}) {
    download.SetUrl(server.url("/named"));
    download.RequestInformation();
    ASSERT_EQ(download.LastModified(), "then");
    download.SetUrl(url);
    download.RequestInformation();
    EXPECT_EQ(std::make_tuple(download.FileExists(), download.LastModified(), download.FileSize(),
                              download.RemoteFileName(), download.RemoteFileType()),
              std::make_tuple(false, "Not Available", -1.0, "v.flv", "x-flv"))
        << url;
  }
  download.SetUrl(server.url("/nan"));
  download.SetFileSize(77);
  EXPECT_THROW(download.RequestInformation(), TransferFault);
  EXPECT_EQ(download.LastModified(), "new");
  EXPECT_EQ(download.FileSize(), 77);
  Download fresh(pump, ConnectionMap{});
  fresh.SetEvents(&log);
  fresh.SetUrl(server.url("/nan"));
  fresh.SetLocalFile(target.string());
  EXPECT_THROW(fresh.StartDownload(), TransferFault);
  EXPECT_EQ(log.events, "");
  EXPECT_FALSE(fs::exists(dir / "v.flv.part"));
}

// Certificates are verified: a server whose certificate no authority signed
// is an address that cannot be opened.
TEST_F(DownloadTest, AnUntrustedCertificateIsRefused) {
  const std::string key = (dir / "key.pem").string(), cert = (dir / "cert.pem").string();
  if (std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
                   "-keyout '" +
                   key + "' -out '" + cert + "' >/dev/null 2>&1")
                      .c_str()) != 0)
    GTEST_SKIP() << "openssl could not make a certificate";
  httplib::SSLServer tls(cert.c_str(), key.c_str());
  int requests = 0;
  tls.Get("/v", [&](const httplib::Request &, httplib::Response &) { ++requests; });
  const int port = tls.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { tls.listen_after_bind(); });
  while (!tls.is_running())
    std::this_thread::sleep_for(1ms);
  download.SetUrl("https://127.0.0.1:" + std::to_string(port) + "/v");
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events, kNotFound);
  EXPECT_FALSE(fs::exists(target));
  tls.stop();
  thread.join();
  EXPECT_EQ(requests, 0);
}

// nginx in the foreground, with a configuration of its own, serving dir/www.
TEST_F(DownloadTest, ARealServerServesHeadersAndTransfers) {
  const char *nginx = "/usr/sbin/nginx";
  if (!fs::exists(nginx))
    GTEST_SKIP() << "nginx is not installed";
  fs::create_directories(dir / "www");
  const std::string port = std::to_string(RawServer::UnusedPort());
  std::string conf = std::string(::geteuid() == 0 ? "user root;" : "") +
                     "daemon off; error_log error.log; pid nginx.pid; events {}\nhttp { access_log "
                     "off; types { video/x-flv flv; } server { listen 127.0.0.1:" +
                     port + "; root www; }";
  for (const char *temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
    conf += std::string(" ") + temp + "_temp_path www;";
  WriteFile(dir / "nginx.conf", conf + " }\n");
  const std::size_t size = 3 * 1024 * 1024 + 7;
  WriteFile(dir / "www" / "clip.flv", Pattern(size, 7));
  const std::string file = (dir / "nginx.conf").string(), prefix = dir.path().string() + "/";
  const pid_t pid = ::fork();
  if (pid == 0)
    ::_exit(::execl(nginx, nginx, "-c", file.c_str(), "-p", prefix.c_str(), nullptr));
  download.SetUrl("http://127.0.0.1:" + port + "/clip.flv");
  for (int i = 0; i < 500 && !download.FileExists(); ++i, std::this_thread::sleep_for(10ms))
    download.RequestInformation();
  EXPECT_TRUE(download.FileExists()) << ReadFile(dir / "error.log");
  EXPECT_EQ(download.FileSize(), static_cast<double>(size));
  EXPECT_EQ(download.RemoteFileType(), "x-flv");
  EXPECT_NE(download.LastModified().find(" GMT"), std::string::npos);
  EXPECT_TRUE(download.StartDownload());
  EXPECT_TRUE(log.events.ends_with(", progress 100, progress 100, complete"));
  EXPECT_TRUE(ReadFile(target) == Pattern(size, 7));
  download.SetUrl("http://127.0.0.1:" + port + "/missing.flv");
  download.RequestInformation();
  EXPECT_FALSE(download.FileExists()); // "HTTP/1.1 404 Not Found"
  ::kill(pid, SIGQUIT);
  ::waitpid(pid, nullptr, 0);
}

} // namespace
} // namespace vidtrawl::net
