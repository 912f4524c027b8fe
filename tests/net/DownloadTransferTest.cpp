#include "EventLog.h"
#include "TransferTestSupport.h"
#include "net/Download.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;
using vidtrawl::net::TransferFault;
namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

const std::string kOld = "the user's earlier file";

std::optional<std::string> Content(const fs::path &file) {
  if (!fs::exists(fs::symlink_status(file)))
    return std::nullopt;
  return ReadFile(file);
}

// A raw server whose HEAD answer carries `headHeaders` and whose GET answer
// carries `getHeaders` and `body`, each closing its connection.
RawServer::Script HeadThenGet(const std::string &headHeaders, const std::string &getHeaders,
                              const std::string &body) {
  return [=](const std::string &request) {
    if (request.rfind("HEAD ", 0) == 0)
      return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", headHeaders)};
    return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", getHeaders, body)};
  };
}

std::vector<std::string> Then(std::vector<std::string> events, const std::string &last,
                              bool dropLast = false) {
  if (dropLast)
    events.pop_back();
  events.push_back(last);
  return events;
}

class Transfer : public ::testing::Test {
protected:
  void SetUp() override {
    ServeBodies(server, methods);
    server.Start();
  }

  LocalServer server;
  std::vector<std::string> methods;
  TempDir dir;
  NoopPump pump;
};

struct EndCase {
  std::string name;
  std::string path;      // on the local server, or on the row's raw server
  RawServer::Script raw; // that raw server's answers; none: the local server
  int cancelAt;          // the progress event whose handler cancels (0: none)
  std::vector<std::string> events;
  std::optional<std::string> target; // afterwards; nothing: the earlier file, untouched
  std::optional<std::string> part;   // the partial file afterwards; nothing: none
};

} // namespace

// Every end of a transfer: its events, the target (replaced only by a
// complete transfer) and the partial file (exactly the bytes the last
// event counted).
TEST_F(Transfer, EachEndLeavesItsEventsTargetAndPartialFile) {
  const std::size_t big = 3 * 1024 * 1024 + 5;
  const std::vector<EndCase> cases = {
      {"empty", "/body/0", {}, 0, {"progress 0", "complete"}, "", {}},
      {"one byte past a chunk",
       "/body/2049",
       {},
       0,
       Then(ProgressEvents(2049, 2049), "complete"),
       Pattern(2049),
       {}},
      {"large",
       "/body/" + std::to_string(big),
       {},
       0,
       Then(ProgressEvents(big, static_cast<double>(big)), "complete"),
       Pattern(big),
       {}},
      {"unknown size counts bytes",
       "/chunked/5000",
       {},
       0,
       {"progress 2048", "progress 4096", "progress 5000", "progress 5000", "complete"},
       Pattern(5000),
       {}},
      {"cancel after the second chunk",
       "/chunked/100000",
       {},
       2,
       {"progress 2048", "progress 4096", "cancelled 4096"},
       {},
       Pattern(4096)},
      {"cancel by the handler of the final empty read",
       "/chunked/3000",
       {},
       3,
       {"progress 2048", "progress 3000", "progress 3000", "cancelled 3000"},
       {},
       Pattern(3000)},
      {"connection dropped mid-body",
       "/v",
       HeadThenGet("Content-Length: 10000\r\n", "Content-Length: 10000\r\n", Pattern(5000)),
       0,
       {"progress 20", "progress 41", "progress 50", "error Could not read URL"},
       {},
       Pattern(5000)},
      {"no length, closed before the header request's size",
       "/v",
       HeadThenGet("Content-Length: 100000\r\n", "", Pattern(40000)),
       0,
       Then(ProgressEvents(40000, 100000), "error Could not read URL", true),
       {},
       Pattern(40000)},
      {"a length of 0 after the header request announced more",
       "/v",
       HeadThenGet("Content-Length: 100000\r\n", "Content-Length: 0\r\n", ""),
       0,
       {"error Could not read URL"},
       {},
       ""},
      {"more bytes than announced are cut at the length",
       "/v",
       HeadThenGet("Content-Length: 3000\r\n", "Content-Length: 3000\r\n", Pattern(5000)),
       0,
       {"progress 68", "progress 100", "progress 100", "complete"},
       Pattern(3000),
       {}},
      {"bare line feeds",
       "/v",
       [](const std::string &) {
         return RawServer::Reply{"HTTP/1.1 200 OK\nContent-Length: 4\nConnection: close\n\nbody"};
       },
       0,
       {"progress 100", "progress 100", "complete"},
       "body",
       {}},
  };
  for (const EndCase &c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<RawServer> raw;
    if (c.raw)
      raw.emplace(c.raw);
    const fs::path target = dir / "v.flv";
    WriteFile(target, kOld);
    fs::remove(dir / "v.flv.part");
    EventLog log;
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    log.onProgress = [&](std::int64_t) {
      if (static_cast<int>(log.events.size()) == c.cancelAt)
        download.CancelDownload();
    };
    download.SetUrl(raw ? raw->url(c.path) : server.url(c.path));
    download.SetLocalFile(target.string());
    EXPECT_EQ(download.StartDownload(), c.target.has_value());
    EXPECT_EQ(log.events, c.events);
    EXPECT_EQ(Content(target), c.target.value_or(kOld));
    EXPECT_EQ(Content(dir / "v.flv.part"), c.part);
    EXPECT_FALSE(download.HasSession());
  }
}

TEST_F(Transfer, AnAddressThatCannotBeOpenedRaisesOneErrorAndTouchesNoFile) {
  server.server().Get("/missing", [](const httplib::Request &, httplib::Response &response) {
    response.status = 404;
    response.set_content(std::string(10000, 'x'), "text/html");
  });
  server.server().Get("/loop", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/loop");
  });
  const std::string port = std::to_string(server.port());
  const std::string urls[] = {server.url("/missing"),
                              server.url("/loop"),
                              "127.0.0.1:" + port + "/body/10",
                              "ftp://127.0.0.1:" + port + "/body/10",
                              "file:///etc/hostname",
                              "http://127.0.0.1:1/closed",
                              "http://bad host/x",
                              "http://127.0.0.1:" + port + "/" + std::string(100000, 'a'),
                              ""};
  for (const std::string &url : urls) {
    SCOPED_TRACE(url.substr(0, 80));
    const auto file = dir / "never";
    EventLog log;
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    download.SetUrl(url);
    download.SetLocalFile(file.string());
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, std::vector<std::string>{"error Could not find URL"});
    EXPECT_FALSE(download.FailureReason().empty());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(dir / "never.part"));
    EXPECT_TRUE(download.HasSession());
  }
}

// What stands at NAME.part (or NAME) before the transfer: a stale partial
// file is replaced, anything else is left alone and the transfer fails with
// a local-file fault before any event.
TEST_F(Transfer, ThePartialFileIsClaimedSafely) {
  const auto outside = dir / "outside";
  struct ClaimCase {
    const char *name;
    std::function<void(const fs::path &target, const fs::path &part)> before;
    bool completes;
  };
  int held = -1; // a descriptor locked by "another copy"
  const ClaimCase cases[] = {
      {"a stale partial file", [](auto &, auto &part) { WriteFile(part, "stale"); }, true},
      {"a stale read-only partial file",
       [](auto &, auto &part) {
         WriteFile(part, "stale");
         fs::permissions(part, fs::perms::owner_read, fs::perm_options::replace);
       },
       true},
      {"the target is a symbolic link",
       [&](auto &target, auto &) { fs::create_symlink(outside, target); }, true},
      {"a partial file another copy is writing",
       [&](auto &, auto &part) {
         WriteFile(part, "theirs");
         held = ::open(part.c_str(), O_RDONLY | O_CLOEXEC);
         ::flock(held, LOCK_EX);
       },
       false},
      {"a folder", [](auto &, auto &part) { fs::create_directory(part); }, false},
      {"a symbolic link", [&](auto &, auto &part) { fs::create_symlink(outside, part); }, false},
      {"a missing folder", [](auto &target, auto &) { fs::remove_all(target.parent_path()); },
       false},
      {"a regular file for a folder",
       [](auto &target, auto &) {
         fs::remove_all(target.parent_path());
         WriteFile(target.parent_path(), "x");
       },
       false},
  };
  for (const ClaimCase &c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path target = dir / "sub" / "v.flv";
    const fs::path part = dir / "sub" / "v.flv.part";
    fs::remove_all(dir / "sub");
    fs::create_directories(dir / "sub");
    WriteFile(outside, "outside");
    c.before(target, part);
    EventLog log;
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    download.SetUrl(server.url("/body/5000"));
    download.SetLocalFile(target.string());
    if (c.completes) {
      EXPECT_TRUE(download.StartDownload());
      EXPECT_EQ(ReadFile(target), Pattern(5000));
      EXPECT_FALSE(fs::exists(fs::symlink_status(part)));
    } else {
      EXPECT_THROW(download.StartDownload(), TransferFault);
      EXPECT_TRUE(log.events.empty());
      EXPECT_FALSE(download.HasSession());
    }
    EXPECT_EQ(ReadFile(outside), "outside");
    if (held >= 0) {
      EXPECT_EQ(ReadFile(part), "theirs");
      ::close(held);
      held = -1;
    }
  }
  EXPECT_THROW(
      {
        Download download(pump, ConnectionMap{});
        download.SetUrl(server.url("/body/1"));
        download.StartDownload(); // no local file at all
      },
      TransferFault);
}

TEST_F(Transfer, PercentRoundsHalfToEvenAgainstTheLastHeaderRequest) {
  const auto file = dir / "f";
  EventLog log;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetLocalFile(file.string());
  download.SetUrl(server.url("/body/1"));
  download.RequestInformation();
  download.SetUrl(server.url("/body/6144"));
  download.SetFileSize(16384); // 2048 bytes are 12.5 %
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 12", "progress 25", "progress 38",
                                                  "progress 38", "complete"}));

  log.events.clear();
  download.SetUrl(server.url("/body/1000"));
  download.RequestInformation();
  download.SetUrl(server.url("/body/5000")); // another address: its size is no limit
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 205", "progress 410", "progress 500",
                                                  "progress 500", "complete"}));
  EXPECT_EQ(ReadFile(file), Pattern(5000));
}

TEST_F(Transfer, FollowsRedirectsAndTheConnectionMap) {
  server.server().Get("/start", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/body/3000");
  });
  ConnectionMap map;
  ASSERT_TRUE(map.Add("video.example.test:80:127.0.0.1:" + std::to_string(server.port())));
  const auto file = dir / "mapped";
  Download download(pump, map);
  download.SetUrl("http://video.example.test/start");
  download.SetLocalFile(file.string());
  download.CancelDownload(); // before the start: no effect
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(ReadFile(file), Pattern(3000));
  EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "GET"}));
}

TEST(TransferRaw, AStalledServerEndsWithinTheIdleLimit) {
  TempDir dir;
  NoopPump pump;
  const struct {
    RawServer::Script script;
    std::vector<std::string> events;
  } cases[] = {
      {[](const std::string &request) {
         const std::string head = RawResponse("HTTP/1.1 200 OK", "Content-Length: 10000\r\n");
         return request.rfind("HEAD ", 0) == 0 ? RawServer::Reply{head}
                                               : RawServer::Reply{head + Pattern(2048), true};
       },
       {"progress 20", "error Could not read URL"}},
      {[](const std::string &) {
         return RawServer::Reply{"", true};
       },
       {"error Could not find URL"}},
  };
  for (const auto &c : cases) {
    RawServer server(c.script);
    EventLog log;
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 300ms);
    download.SetEvents(&log);
    download.SetUrl(server.url("/v"));
    download.SetLocalFile((dir / "stalled").string());
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, c.events);
  }
}

TEST(TransferRaw, HostileResponsesHaveAClearOutcome) {
  std::string hugeHeaders;
  for (int i = 0; i < 200; ++i)
    hugeHeaders += "X-" + std::to_string(i) + ": " + std::string(8000, 'h') + "\r\n";
  const std::string replies[] = {
      "HTTP/1.1 abc\r\n\r\nbody",
      "garbage\r\n\r\n",
      "HTTP/1.1 200 OK\r\nno colon here\r\nContent-Length: 4\r\n\r\nbody",
      "HTTP/1.1 200 OK\r\nContent-Length: nope\r\n\r\nbody",
      "HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nbody",
      "HTTP/1.1 200 OK\r\n" + hugeHeaders + "\r\nbody",
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
      "",
      std::string("HTTP/1.1 200 OK\r\nX: \0\x01\xff\r\nContent-Length: 4\r\n\r\nbody", 50),
  };
  for (const std::string &reply : replies) {
    SCOPED_TRACE(reply.substr(0, 60));
    RawServer server([&](const std::string &) { return RawServer::Reply{reply}; });
    TempDir dir;
    const auto file = dir / "hostile";
    EventLog log;
    NoopPump pump;
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 1000ms);
    download.SetEvents(&log);
    download.SetUrl(server.url("/v"));
    download.SetLocalFile(file.string());
    download.SetFileSize(1);
    try {
      download.RequestInformation();
    } catch (const TransferFault &fault) {
      EXPECT_EQ(fault.kind(), TransferFault::Kind::HeaderValue);
    }
    const bool result = download.StartDownload();
    ASSERT_FALSE(log.events.empty());
    const std::string &last = log.events.back();
    EXPECT_TRUE(last == "complete" || last == "error Could not find URL" ||
                last == "error Could not read URL")
        << last;
    EXPECT_EQ(result, last == "complete");
    EXPECT_EQ(Content(file), result ? std::optional<std::string>("body") : std::nullopt);
  }
}
