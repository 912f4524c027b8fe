#include "EventLog.h"
#include "TransferTestSupport.h"
#include "net/Download.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vidtrawl::testing;
using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;
using vidtrawl::net::TransferFault;

namespace {

class Session : public ::testing::Test {
protected:
  void SetUp() override {
    ServeBodies(server, methods);
    server.server().Get("/missing",
                        [this](const httplib::Request &request, httplib::Response &response) {
                          methods.push_back(request.method);
                          response.status = 404;
                        });
    server.Start();
  }

  LocalServer server;
  std::vector<std::string> methods;
  TempDir dir;
  NoopPump pump;
};

} // namespace

TEST_F(Session, AFreshComponentRequestsInformationOnlyForItsFirstTransfer) {
  const auto file = dir / "f";
  EventLog log;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  EXPECT_FALSE(download.HasSession());
  EXPECT_FALSE(download.InfoRequested());
  EXPECT_FALSE(download.CloseSessionAfterInfo());

  download.SetUrl(server.url("/body/4096"));
  download.SetLocalFile(file.string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "GET"}));
  EXPECT_EQ(download.FileSize(), 4096);
  EXPECT_TRUE(download.InfoRequested());
  EXPECT_TRUE(download.CloseSessionAfterInfo());
  EXPECT_FALSE(download.HasSession());
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"progress 50", "progress 100", "progress 100", "complete"}));

  // The second transfer keeps the size the last information request left.
  methods.clear();
  log.events.clear();
  download.SetUrl(server.url("/body/2048"));
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(methods, std::vector<std::string>{"GET"});
  EXPECT_EQ(download.FileSize(), 4096);
  EXPECT_EQ(log.events, (std::vector<std::string>{"progress 50", "progress 50", "complete"}));
}

TEST_F(Session, AnInformationRequestKeepsTheSessionUntilTheFirstTransfer) {
  Download download(pump, ConnectionMap{});
  download.SetUrl(server.url("/body/10"));
  download.RequestInformation();
  EXPECT_TRUE(download.HasSession());
  EXPECT_FALSE(download.CloseSessionAfterInfo());
  download.RequestInformation();
  EXPECT_TRUE(download.HasSession());

  download.SetLocalFile((dir / "f").string());
  EXPECT_TRUE(download.StartDownload());
  EXPECT_EQ(methods, (std::vector<std::string>{"HEAD", "HEAD", "GET"}));
  EXPECT_FALSE(download.HasSession());

  download.RequestInformation();
  EXPECT_FALSE(download.HasSession());
}

TEST_F(Session, NotFoundKeepsTheSessionForTheNextTransfer) {
  const auto file = dir / "f";
  EventLog log;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/missing"));
  download.SetLocalFile(file.string());
  EXPECT_FALSE(download.StartDownload());
  EXPECT_FALSE(download.FileExists()); // its own information request saw the 404
  EXPECT_TRUE(download.HasSession());
  EXPECT_TRUE(download.CloseSessionAfterInfo());

  download.SetUrl(server.url("/body/100"));
  EXPECT_TRUE(download.StartDownload());
  EXPECT_FALSE(download.HasSession());
  // FileSize stayed -1 from the 404 answer: progress counts bytes.
  EXPECT_EQ(log.events, (std::vector<std::string>{"error Could not find URL", "progress 100",
                                                  "progress 100", "complete"}));
}

TEST(SessionFaults, ABadLengthInTheFirstTransfersInformationStepThrows) {
  RawServer server([](const std::string &) {
    return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", "Content-Length: x\r\n", "body")};
  });
  TempDir dir;
  const auto file = dir / "f";
  EventLog log;
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetEvents(&log);
  download.SetUrl(server.url("/v"));
  download.SetLocalFile(file.string());
  EXPECT_THROW(download.StartDownload(), TransferFault);
  EXPECT_TRUE(log.events.empty());
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(download.HasSession());
  EXPECT_TRUE(download.InfoRequested());
  EXPECT_TRUE(download.CloseSessionAfterInfo());
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("HEAD ", 0), 0u);
}
