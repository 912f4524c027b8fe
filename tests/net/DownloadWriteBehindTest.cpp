#include "EventLog.h"
#include "support/RawServer.h"
#include "TransferTestSupport.h"
#include "net/Download.h"

#include <gtest/gtest.h>

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;

namespace {

class WriteBehind : public ::testing::Test {
protected:
  void SetUp() override {
    ServeBodies(server, methods);
    server.Start();
    download.SetWriteBehind(true);
  }
  LocalServer server;
  std::vector<std::string> methods;
  TempDir dir;
  NoopPump pump;
  Download download{pump, ConnectionMap{}};
};

} // namespace

TEST_F(WriteBehind, SameEventsAndBytesWithTheFileCompleteAtTheEnd) {
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{2049}, std::size_t{3 * 1024 * 1024 + 5}}) {
    SCOPED_TRACE(size);
    const auto file = dir / ("body" + std::to_string(size));
    EventLog log(file);
    Download fresh(pump, ConnectionMap{}); // each makes its own header request
    fresh.SetWriteBehind(true);
    fresh.SetEvents(&log);
    fresh.SetUrl(server.url("/body/" + std::to_string(size)));
    fresh.SetLocalFile(file.string());
    EXPECT_TRUE(fresh.StartDownload());
    auto expected = ProgressEvents(size, static_cast<double>(size));
    expected.push_back("complete");
    EXPECT_EQ(log.events, expected);
    // The file lags during the transfer, never leads, and is whole at the end.
    const auto reported = ProgressFileSizes(size);
    for (std::size_t i = 0; i < reported.size(); ++i)
      EXPECT_LE(log.fileSizes[i], reported[i]);
    EXPECT_EQ(log.fileSizes.back(), static_cast<std::int64_t>(size));
    EXPECT_EQ(ReadFile(file), Pattern(size));
  }
}

TEST_F(WriteBehind, CancelAndReadFailureEventsSeeEveryByteReceived) {
  const auto file = dir / "cancelled";
  EventLog log(file);
  download.SetEvents(&log);
  log.onProgress = [&](std::int64_t) {
    if (log.events.size() == 3)
      download.CancelDownload();
  };
  download.SetUrl(server.url("/chunked/100000"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(log.events.back(), "cancelled 6144");
  EXPECT_EQ(log.fileSizes.back(), 6144);
  EXPECT_EQ(ReadFile(file), Pattern(100000).substr(0, 6144));

  RawServer dropping([](const std::string &) {
    return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", "Content-Length: 50000\r\n") +
                            Pattern(7000)};
  });
  EventLog dropLog(dir / "dropped");
  download.SetEvents(&dropLog);
  download.SetUrl(dropping.url("/v.flv"));
  download.SetLocalFile((dir / "dropped").string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_EQ(dropLog.events.back(), "error Could not read URL");
  EXPECT_EQ(dropLog.fileSizes.back(), 7000);
  EXPECT_EQ(ReadFile(dir / "dropped"), Pattern(7000));
}
