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
#include <thread>
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
using Events = std::vector<std::string>;

// The events as texts ("progress 50", "complete", "error Could not find
// URL", "cancelled 4096"); the handler of progress event `cancelAt` cancels.
struct EventLog final : DownloadEvents {
  void DownloadComplete() override { events.push_back("complete"); }
  void DownloadProgress(std::int64_t value) override {
    events.push_back("progress " + std::to_string(value));
    if (download && static_cast<int>(events.size()) == cancelAt)
      download->CancelDownload();
  }
  void DownloadError(const std::string &text) override { events.push_back("error " + text); }
  void DownloadCancelled(std::int64_t at) override {
    events.push_back("cancelled " + std::to_string(at));
  }
  Events events;
  Download *download = nullptr;
  int cancelAt = 0;
};

std::string Ok(const std::string &headers, const std::string &body = "") {
  return RawResponse("HTTP/1.1 200 OK", headers, body);
}
std::string Length(std::size_t size) {
  return "Content-Length: " + std::to_string(size) + "\r\n";
}
bool IsHead(const std::string &request) {
  return request.rfind("HEAD ", 0) == 0;
}

// /body/N: N bytes with their length; /open/N: without one; /loop and
// /start redirect (to itself, to /body/3000); anything else is not found.
RawServer::Reply Site(const std::string &request) {
  const std::size_t start = request.find(' ') + 1;
  const std::string path = request.substr(start, request.find(' ', start) - start);
  const std::size_t n = std::strtoul(path.c_str() + path.rfind('/') + 1, nullptr, 10);
  const std::string body = IsHead(request) ? "" : Pattern(n);
  if (path.rfind("/body/", 0) == 0)
    return {Ok(Length(n), body)};
  if (path.rfind("/open/", 0) == 0)
    return {Ok("", body)};
  if (path == "/loop" || path == "/start")
    return {RawResponse("HTTP/1.1 302 Found",
                        path == "/loop" ? "Location: /loop\r\n" : "Location: /body/3000\r\n")};
  return {RawResponse("HTTP/1.1 404 Not Found", "", IsHead(request) ? "" : "not found")};
}

class DownloadTest : public ::testing::Test {
protected:
  DownloadTest() {
    download.SetEvents(&log);
    log.download = &download;
    download.SetLocalFile(target.string());
  }
  // The request lines the server has seen ("HEAD /body/1").
  Events Requests() const {
    Events lines;
    for (const std::string &request : server.Requests())
      lines.push_back(request.substr(0, request.find(" HTTP/")));
    return lines;
  }
  std::optional<std::string> Content(const fs::path &file) const {
    return fs::exists(fs::symlink_status(file)) ? std::optional(ReadFile(file)) : std::nullopt;
  }

  RawServer server{Site};
  testing::TempDir dir;
  fs::path target = dir / "v.flv";
  host::NoopPump pump;
  EventLog log;
  Download download{pump, ConnectionMap{}};
};

// Every end of a transfer: its events, the target (replaced only by a
// complete transfer) and the partial file (exactly the bytes the last
// event counted).
TEST_F(DownloadTest, EachEndLeavesItsEventsTargetAndPartialFile) {
  const std::string bare = "HTTP/1.1 200 OK\nContent-Length: 4\nConnection: close\n\nbody";
  const struct {
    const char *name;
    std::string head, get; // the answers to the header request and to the transfer
    int cancelAt;
    Events events;
    std::optional<std::string> target, part; // nothing: the earlier file / no partial file
  } cases[] = {
      {"empty", Ok(Length(0)), Ok(Length(0)), 0, {"progress 0", "complete"}, "", {}},
      {"one byte past a chunk",
       Ok(Length(2049)),
       Ok(Length(2049), Pattern(2049)),
       0,
       {"progress 100", "progress 100", "progress 100", "complete"},
       Pattern(2049),
       {}},
      {"no size anywhere counts bytes",
       Ok(""),
       Ok("", Pattern(5000)),
       0,
       {"progress 2048", "progress 4096", "progress 5000", "progress 5000", "complete"},
       Pattern(5000),
       {}},
      {"cancelled after the second chunk",
       Ok(""),
       Ok("", Pattern(100000)),
       2,
       {"progress 2048", "progress 4096", "cancelled 4096"},
       {},
       Pattern(4096)},
      {"cancelled by the handler of the final empty read",
       Ok(""),
       Ok("", Pattern(3000)),
       3,
       {"progress 2048", "progress 3000", "progress 3000", "cancelled 3000"},
       {},
       Pattern(3000)},
      {"dropped mid-body",
       Ok(Length(10000)),
       Ok(Length(10000), Pattern(5000)),
       0,
       {"progress 20", "progress 41", "progress 50", "error Could not read URL"},
       {},
       Pattern(5000)},
      {"no length, closed before the header request's size",
       Ok(Length(10000)),
       Ok("", Pattern(5000)),
       0,
       {"progress 20", "progress 41", "progress 50", "error Could not read URL"},
       {},
       Pattern(5000)},
      {"a length of 0 where the header request announced more",
       Ok(Length(100000)),
       Ok(Length(0)),
       0,
       {"error Could not read URL"},
       {},
       ""},
      {"more bytes than announced are cut at the length",
       Ok(Length(3000)),
       Ok(Length(3000), Pattern(5000)),
       0,
       {"progress 68", "progress 100", "progress 100", "complete"},
       Pattern(3000),
       {}},
      {"bare line feeds", bare, bare, 0, {"progress 100", "progress 100", "complete"}, "body", {}},
      {"refused",
       Ok(Length(5)),
       RawResponse("HTTP/1.1 403 Forbidden", Length(5), "nope!"),
       0,
       {"error Could not find URL"},
       {},
       {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    RawServer raw([&c](const std::string &request) {
      return RawServer::Reply{IsHead(request) ? c.head : c.get};
    });
    WriteFile(target, "earlier");
    fs::remove(dir / "v.flv.part");
    Download fresh(pump, ConnectionMap{});
    EventLog seen;
    seen.download = &fresh;
    seen.cancelAt = c.cancelAt;
    fresh.SetEvents(&seen);
    fresh.SetUrl(raw.url("/v"));
    fresh.SetLocalFile(target.string());
    EXPECT_EQ(fresh.StartDownload(), c.events.back() == "complete");
    EXPECT_EQ(seen.events, c.events);
    EXPECT_EQ(Content(target), c.target.value_or("earlier"));
    EXPECT_EQ(Content(dir / "v.flv.part"), c.part);
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
    SCOPED_TRACE(url);
    log.events.clear();
    download.SetUrl(url);
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, Events{"error Could not find URL"});
    EXPECT_FALSE(download.FailureReason().empty());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(dir / "v.flv.part"));
  }
}

// What stands at NAME.part (or NAME) before the transfer: a stale partial
// file is replaced, anything else is left alone and the transfer fails with
// a local-file fault before any event.
TEST_F(DownloadTest, ThePartialFileIsClaimedSafely) {
  const fs::path sub = dir / "sub", outside = dir / "outside";
  const fs::path part = sub / "v.flv.part";
  int held = -1; // a descriptor locked by "another copy"
  const struct {
    const char *name;
    std::function<void()> before;
    bool completes;
  } cases[] = {
      {"a stale partial file", [&] { WriteFile(part, "stale"); }, true},
      {"a stale read-only one",
       [&] {
         WriteFile(part, "stale");
         fs::permissions(part, fs::perms::owner_read);
       },
       true},
      {"the target is a symbolic link", [&] { fs::create_symlink(outside, sub / "v.flv"); }, true},
      {"one another copy is writing",
       [&] {
         WriteFile(part, "theirs");
         held = ::open(part.c_str(), O_RDONLY | O_CLOEXEC);
         ::flock(held, LOCK_EX);
       },
       false},
      {"a folder", [&] { fs::create_directory(part); }, false},
      {"a symbolic link", [&] { fs::create_symlink(outside, part); }, false},
      {"no folder", [&] { fs::remove_all(sub); }, false},
      {"a file for the folder",
       [&] {
         fs::remove_all(sub);
         WriteFile(sub, "x");
       },
       false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(sub);
    fs::create_directories(sub);
    WriteFile(outside, "outside");
    c.before();
    log.events.clear();
    download.SetUrl(server.url("/body/5000"));
    download.SetLocalFile((sub / "v.flv").string());
    if (c.completes) {
      EXPECT_TRUE(download.StartDownload());
      EXPECT_EQ(ReadFile(sub / "v.flv"), Pattern(5000));
      EXPECT_FALSE(fs::exists(fs::symlink_status(part)));
    } else {
      EXPECT_THROW(download.StartDownload(), TransferFault);
      EXPECT_TRUE(log.events.empty());
    }
    EXPECT_EQ(ReadFile(outside), "outside");
    if (held >= 0) {
      EXPECT_EQ(ReadFile(part), "theirs");
      ::close(held);
      held = -1;
    }
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
  EXPECT_EQ(ReadFile(target), Pattern(5000));
  EXPECT_EQ(log.events,
            (Events{"error Could not find URL", "progress 100", "progress 100", "complete",
                    "progress 12", "progress 25", "progress 38", "progress 38", "complete",
                    "progress 205", "progress 410", "progress 500", "progress 500", "complete"}));
  EXPECT_EQ(Requests(), (Events{"HEAD /missing", "GET /missing", "GET /open/100", "GET /body/6144",
                                "HEAD /body/1000", "GET /body/5000"}));
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
  EXPECT_EQ(Requests(), (Events{"HEAD /start", "HEAD /body/3000", "GET /start", "GET /body/3000"}));
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

// A length that is no number is a fault, thrown once Last-Modified is read;
// the first transfer's header request throws it before anything is sent.
TEST_F(DownloadTest, ALengthThatIsNoNumberIsAFault) {
  RawServer raw([](const std::string &) {
    return RawServer::Reply{Ok("Last-Modified: new\r\nContent-Length: 12abc\r\n", "body")};
  });
  download.SetUrl(raw.url("/v"));
  download.SetFileSize(77);
  try {
    download.RequestInformation();
    ADD_FAILURE() << "no fault";
  } catch (const TransferFault &fault) {
    EXPECT_EQ(fault.kind(), TransferFault::Kind::HeaderValue);
  }
  EXPECT_EQ(download.LastModified(), "new");
  EXPECT_EQ(download.FileSize(), 77);
  Download fresh(pump, ConnectionMap{});
  fresh.SetEvents(&log);
  fresh.SetUrl(raw.url("/v"));
  fresh.SetLocalFile(target.string());
  EXPECT_THROW(fresh.StartDownload(), TransferFault);
  EXPECT_TRUE(log.events.empty());
  EXPECT_FALSE(fs::exists(dir / "v.flv.part"));
  EXPECT_EQ(raw.Requests().size(), 2u); // the two header requests
}

// A failed header request forgets what the last one learnt, but the
// server's names for the file stay.
TEST_F(DownloadTest, AFailedHeaderRequestKeepsOnlyTheRemoteNames) {
  std::string huge;
  for (int i = 0; i < 10; ++i)
    huge += "X-Pad-" + std::to_string(i) + ": " + std::string(7000, 'x') + "\r\n";
  RawServer named([&](const std::string &request) {
    return RawServer::Reply{request.find(" /huge ") != std::string::npos
                                ? Ok(huge + Length(10))
                                : Ok("Content-Type: video/x-flv\r\nContent-Disposition: a; "
                                     "filename=v.flv\r\nLast-Modified: then\r\n" +
                                     Length(10))};
  });
  RawServer stalling([](const std::string &) { return RawServer::Reply{"", true}; });
  RawServer malformed([](const std::string &) {
    return RawServer::Reply{"HTTP/1.1 abc\r\nContent-Length: 5\r\n\r\n"};
  });
  RawServer silent([](const std::string &) { return RawServer::Reply{""}; });
  download.SetTimeouts(2000ms, 300ms);
  const std::string urls[] = {named.url("/huge"),
                              stalling.url("/s"),
                              malformed.url("/m"),
                              silent.url("/q"),
                              "http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/",
                              "http://bad host/"};
  for (const std::string &url : urls) {
    SCOPED_TRACE(url);
    download.SetUrl(named.url("/named"));
    download.RequestInformation();
    ASSERT_EQ(download.LastModified(), "then");
    download.SetUrl(url);
    download.RequestInformation();
    EXPECT_FALSE(download.FileExists());
    EXPECT_EQ(download.LastModified(), "Not Available");
    EXPECT_EQ(download.FileSize(), -1);
    EXPECT_EQ(download.RemoteFileName(), "v.flv");
    EXPECT_EQ(download.RemoteFileType(), "x-flv");
  }
}

TEST_F(DownloadTest, AStalledServerEndsWithinTheIdleLimit) {
  const struct {
    RawServer::Reply get;
    Events events;
  } cases[] = {
      {{Ok(Length(10000), Pattern(2048)), true}, {"progress 20", "error Could not read URL"}},
      {{"", true}, {"error Could not find URL"}},
  };
  for (const auto &c : cases) {
    RawServer raw([&c](const std::string &request) {
      return IsHead(request) ? RawServer::Reply{Ok(Length(10000))} : c.get;
    });
    log.events.clear();
    download.SetTimeouts(2000ms, 300ms);
    download.SetUrl(raw.url("/v"));
    download.RequestInformation();
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, c.events);
  }
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
  tls.Get("/v", [&](const httplib::Request &, httplib::Response &response) {
    ++requests;
    response.set_content("body", "video/x-flv");
  });
  const int port = tls.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { tls.listen_after_bind(); });
  while (!tls.is_running())
    std::this_thread::sleep_for(1ms);
  download.SetUrl("https://127.0.0.1:" + std::to_string(port) + "/v");
  EXPECT_FALSE(download.StartDownload());
  EXPECT_FALSE(download.FileExists());
  EXPECT_EQ(log.events, Events{"error Could not find URL"});
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
  fs::create_directories(dir / "tmp");
  const std::string port = std::to_string(RawServer::UnusedPort());
  WriteFile(dir / "nginx.conf",
            std::string(::geteuid() == 0 ? "user root;\n" : "") +
                "daemon off; worker_processes 1; error_log error.log; pid nginx.pid;\n"
                "events { worker_connections 64; }\n"
                "http { access_log off; types { video/x-flv flv; } client_body_temp_path tmp/b;\n"
                "  proxy_temp_path tmp/p; fastcgi_temp_path tmp/f; uwsgi_temp_path tmp/u;\n"
                "  scgi_temp_path tmp/s; server { listen 127.0.0.1:" +
                port + "; root www; } }\n");
  const std::size_t size = 3 * 1024 * 1024 + 7;
  WriteFile(dir / "www" / "clip.flv", Pattern(size, 7));
  struct Process {
    ~Process() {
      ::kill(pid, SIGQUIT);
      ::waitpid(pid, nullptr, 0);
    }
    pid_t pid;
  } process{::fork()};
  if (process.pid == 0) {
    const std::string conf = (dir / "nginx.conf").string(), prefix = dir.path().string() + "/";
    ::execl(nginx, nginx, "-c", conf.c_str(), "-p", prefix.c_str(), nullptr);
    ::_exit(127);
  }
  download.SetUrl("http://127.0.0.1:" + port + "/clip.flv");
  for (int i = 0; i < 500 && !download.FileExists(); ++i, std::this_thread::sleep_for(10ms))
    download.RequestInformation();
  ASSERT_TRUE(download.FileExists()) << ReadFile(dir / "error.log");
  EXPECT_EQ(download.FileSize(), static_cast<double>(size));
  EXPECT_EQ(download.RemoteFileType(), "x-flv");
  EXPECT_NE(download.LastModified().find(" GMT"), std::string::npos);
  EXPECT_TRUE(download.StartDownload());
  // One event per 2048-byte chunk and one for the final empty read.
  ASSERT_EQ(log.events.size(), 1539u);
  EXPECT_EQ(log.events[0], "progress 0");
  EXPECT_EQ(log.events[767], "progress 50");
  EXPECT_EQ(Events(log.events.end() - 3, log.events.end()),
            (Events{"progress 100", "progress 100", "complete"}));
  EXPECT_TRUE(ReadFile(target) == Pattern(size, 7));
  download.SetUrl("http://127.0.0.1:" + port + "/missing.flv");
  download.RequestInformation();
  EXPECT_FALSE(download.FileExists()); // "HTTP/1.1 404 Not Found"
}

} // namespace
} // namespace vidtrawl::net
