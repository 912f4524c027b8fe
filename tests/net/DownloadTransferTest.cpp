#include "EventLog.h"
#include "support/RawServer.h"
#include "TransferTestSupport.h"
#include "net/Download.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;
using vidtrawl::net::TransferFault;

namespace {

using namespace std::chrono_literals;

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

// A raw server whose HEAD answer is the headers only and whose GET answer is
// the headers followed by `body`.
RawServer BodyServer(const std::string &headers, const std::string &body, bool stall = false) {
  return RawServer([=](const std::string &request) {
    const std::string head = RawResponse("HTTP/1.1 200 OK", headers);
    if (request.rfind("HEAD ", 0) == 0)
      return RawServer::Reply{head};
    return RawServer::Reply{head + body, stall};
  });
}

} // namespace

TEST_F(Transfer, WritesEveryBodyByteExactWithOneProgressEventPerChunk) {
  const std::size_t sizes[] = {0, 1, 2047, 2048, 2049, 3 * 1024 * 1024 + 5};
  for (const std::size_t size : sizes) {
    SCOPED_TRACE(size);
    const auto file = dir / ("body" + std::to_string(size));
    EventLog log(file);
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    download.SetUrl(server.url("/body/" + std::to_string(size)));
    download.SetLocalFile(file.string());
    EXPECT_TRUE(download.StartDownload());

    auto expected = ProgressEvents(size, static_cast<double>(size));
    expected.push_back("complete");
    EXPECT_EQ(log.events, expected);
    auto sizesSeen = ProgressFileSizes(size);
    sizesSeen.push_back(static_cast<std::int64_t>(size));
    EXPECT_EQ(log.fileSizes, sizesSeen);
    EXPECT_EQ(ReadFile(file), Pattern(size));
    EXPECT_EQ(download.FileSize(), static_cast<double>(size));
    EXPECT_FALSE(download.HasSession());
  }
}

TEST_F(Transfer, UnknownSizeReportsByteCounts) {
  const auto file = dir / "chunked";
  EventLog log(file);
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/chunked/5000"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(download.FileSize(), -1);
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 2048", "progress 4096", "progress 5000",
                                                  "progress 5000", "complete"}));
  EXPECT_EQ(ReadFile(file), Pattern(5000));
}

TEST_F(Transfer, PercentRoundsHalfToEvenAndPassesOneHundred) {
  const auto file = dir / "f";
  EventLog log(file);
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
  download.SetUrl(server.url("/body/5000"));
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 205", "progress 410", "progress 500",
                                                  "progress 500", "complete"}));
  EXPECT_EQ(ReadFile(file), Pattern(5000));
}

TEST_F(Transfer, AnAddressThatCannotBeOpenedRaisesOneErrorAndWritesNoFile) {
  server.server().Get("/missing", [](const httplib::Request &, httplib::Response &response) {
    response.status = 404;
    response.set_content(std::string(10000, 'x'), "text/html");
  });
  server.server().Get("/broken", [](const httplib::Request &, httplib::Response &response) {
    response.status = 500;
  });
  server.server().Get("/loop", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/loop");
  });
  const std::string port = std::to_string(server.port());
  const std::string urls[] = {server.url("/missing"),
                              server.url("/broken"),
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
    EventLog log(file);
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    download.SetUrl(url);
    download.SetLocalFile(file.string());
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, std::vector<std::string>{"error Could not find URL"});
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(download.HasSession());
  }
}

TEST_F(Transfer, FollowsRedirectsAndTheConnectionMap) {
  server.server().Get("/start", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/body/3000");
  });
  ConnectionMap map;
  ASSERT_TRUE(map.Add("video.example.test:80:127.0.0.1:" + std::to_string(server.port())));
  const auto file = dir / "mapped";
  EventLog log(file);
  Download download(pump, map);
  download.SetEvents(&log);
  download.SetUrl("http://video.example.test/start");
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events.back(), "complete");
  EXPECT_EQ(ReadFile(file), Pattern(3000));
  EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "GET"}));
}

TEST_F(Transfer, AStaleLongerFileIsTruncated) {
  const auto file = dir / "stale";
  WriteFile(file, std::string(100000, 'z'));
  Download download(pump, ConnectionMap{});
  download.SetUrl(server.url("/body/100"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(ReadFile(file), Pattern(100));
}

TEST_F(Transfer, ALocalFileFaultThrowsAndRaisesNoEvent) {
  const auto blocker = dir / "regular";
  WriteFile(blocker, "x");
  const std::string targets[] = {(blocker / "x").string(), (dir / "no" / "such" / "f").string(),
                                 "/dev/full", ""};
  for (const std::string &target : targets) {
    SCOPED_TRACE(target);
    EventLog log;
    Download download(pump, ConnectionMap{});
    download.SetEvents(&log);
    download.SetUrl(server.url("/body/5000"));
    download.SetLocalFile(target);
    try {
      download.StartDownload();
      ADD_FAILURE() << "no fault";
    } catch (const TransferFault &fault) {
      EXPECT_EQ(fault.kind(), TransferFault::Kind::LocalFile);
    }
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(download.HasSession());
  }
}

TEST_F(Transfer, CancelTakesEffectAfterTheCurrentChunk) {
  const auto file = dir / "cancelled";
  EventLog log(file);
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  log.onProgress = [&](std::int64_t) {
    if (log.events.size() == 2)
      download.CancelDownload();
  };
  download.SetUrl(server.url("/chunked/100000"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"progress 2048", "progress 4096", "cancelled 4096"}));
  EXPECT_EQ(log.fileSizes.back(), 4096); // the file is still open, with what was received
  EXPECT_EQ(ReadFile(file), Pattern(100000).substr(0, 4096));
  EXPECT_FALSE(download.HasSession());

  // The next transfer on the component starts afresh.
  log.events.clear();
  log.onProgress = nullptr;
  download.SetUrl(server.url("/chunked/3000"));
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events.back(), "complete");
  EXPECT_EQ(ReadFile(file), Pattern(3000));
}

TEST_F(Transfer, CancelFromThePumpDuringTheTransfer) {
  const auto file = dir / "pumped";
  EventLog log(file);
  ScriptedPump scripted;
  Download download(scripted, ConnectionMap{});
  download.SetEvents(&log);
  scripted.action = [&](long) {
    if (log.events.size() == 3)
      download.CancelDownload();
  };
  download.SetUrl(server.url("/body/20480"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 10", "progress 20", "progress 30",
                                                  "cancelled 6144"}));
  EXPECT_EQ(ReadFile(file).size(), 6144u);
}

TEST_F(Transfer, CancelByTheLastProgressHandlerStillCancels) {
  const auto file = dir / "last";
  EventLog log(file);
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  log.onProgress = [&](std::int64_t) {
    if (log.events.size() == 3) // 2048, 3000, and the empty read
      download.CancelDownload();
  };
  download.SetUrl(server.url("/chunked/3000"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 2048", "progress 3000", "progress 3000",
                                                  "cancelled 3000"}));
  EXPECT_EQ(ReadFile(file), Pattern(3000));
}

TEST_F(Transfer, CancelBeforeStartHasNoEffect) {
  const auto file = dir / "f";
  EventLog log(file);
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.CancelDownload();
  download.SetUrl(server.url("/body/10"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events.back(), "complete");
}

TEST(TransferRaw, AConnectionDroppedMidBodyIsAReadFailure) {
  const std::string body = Pattern(5000);
  RawServer server = BodyServer("Content-Length: 10000\r\n", body);
  TempDir dir;
  const auto file = dir / "dropped";
  EventLog log(file);
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/v"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 20", "progress 41", "progress 50",
                                                  "error Could not read URL"}));
  EXPECT_EQ(log.fileSizes, (std::vector<std::int64_t>{2048, 4096, 5000, 5000}));
  EXPECT_EQ(ReadFile(file), body);
  EXPECT_FALSE(download.HasSession());
}

TEST(TransferRaw, AProviderThatFailsMidBodyIsAReadFailure) {
  LocalServer server;
  server.server().Get("/v", [](const httplib::Request &, httplib::Response &response) {
    response.set_content_provider(100000, "video/x-flv",
                                  [](std::size_t offset, std::size_t, httplib::DataSink &sink) {
                                    if (offset >= 8192)
                                      return false;
                                    const std::string part = Pattern(8192);
                                    sink.write(part.data(), part.size());
                                    return true;
                                  });
  });
  server.Start();
  TempDir dir;
  const auto file = dir / "failed";
  EventLog log(file);
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/v"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  ASSERT_FALSE(log.events.empty());
  EXPECT_EQ(log.events.back(), "error Could not read URL");
  EXPECT_EQ(ReadFile(file), Pattern(8192));
}

TEST(TransferRaw, MoreBytesThanAnnouncedAreCutAtTheLength) {
  const std::string body = Pattern(5000);
  RawServer server = BodyServer("Content-Length: 3000\r\n", body);
  TempDir dir;
  const auto file = dir / "more";
  EventLog log(file);
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/v"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events.back(), "complete");
  EXPECT_EQ(ReadFile(file), body.substr(0, 3000));
}

TEST(TransferRaw, AStalledServerEndsWithinTheIdleLimit) {
  TempDir dir;
  NoopPump pump;
  {
    RawServer server = BodyServer("Content-Length: 10000\r\n", Pattern(2048), true);
    const auto file = dir / "stalled";
    EventLog log(file);
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 300ms);
    download.SetEvents(&log);
    download.SetUrl(server.url("/v"));
    download.SetLocalFile(file.string());
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, (std::vector<std::string>{"progress 20", "error Could not read URL"}));
    EXPECT_EQ(ReadFile(file), Pattern(2048));
  }
  {
    RawServer server([](const std::string &) { return RawServer::Reply{"", true}; });
    const auto file = dir / "silent";
    EventLog log(file);
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 300ms);
    download.SetEvents(&log);
    download.SetUrl(server.url("/v"));
    download.SetLocalFile(file.string());
    EXPECT_FALSE(download.StartDownload());
    EXPECT_EQ(log.events, std::vector<std::string>{"error Could not find URL"});
    EXPECT_FALSE(std::filesystem::exists(file));
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
    EventLog log(file);
    NoopPump pump;
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 1000ms);
    download.SetEvents(&log);
    download.SetUrl(server.url("/v"));
    download.SetLocalFile(file.string());
    download.SetFileSize(1);
    bool result = false;
    try {
      download.RequestInformation();
    } catch (const TransferFault &fault) {
      EXPECT_EQ(fault.kind(), TransferFault::Kind::HeaderValue);
    }
    result = download.StartDownload();
    ASSERT_FALSE(log.events.empty());
    const std::string &last = log.events.back();
    EXPECT_TRUE(last == "complete" || last == "error Could not find URL" ||
                last == "error Could not read URL")
        << last;
    EXPECT_EQ(result, last == "complete");
    if (last == "complete") {
      EXPECT_EQ(ReadFile(file), "body");
    }
  }
}

TEST(TransferRaw, BareLineFeedResponseCompletes) {
  RawServer server([](const std::string &) {
    return RawServer::Reply{"HTTP/1.1 200 OK\nContent-Length: 4\nConnection: close\n\nbody"};
  });
  TempDir dir;
  const auto file = dir / "lf";
  EventLog log(file);
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/v"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 100", "progress 100", "complete"}));
  EXPECT_EQ(ReadFile(file), "body");
}
