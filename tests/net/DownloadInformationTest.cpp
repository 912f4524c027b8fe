#include "EventLog.h"
#include "net/Download.h"
#include "support/LocalServer.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using vidtrawl::host::NoopPump;
using vidtrawl::net::ConnectionMap;
using vidtrawl::net::Download;
using vidtrawl::net::TransferFault;
using vidtrawl::testing::LocalServer;
using vidtrawl::testing::RawResponse;
using vidtrawl::testing::RawServer;

namespace {

using namespace std::chrono_literals;

// The request path of a request head ("HEAD /x HTTP/1.0" -> "/x").
std::string PathOf(const std::string &request) {
  const std::size_t start = request.find(' ') + 1;
  return request.substr(start, request.find(' ', start) - start);
}

// A raw server answering each path with the given status line and headers.
RawServer HeaderServer(std::map<std::string, std::pair<std::string, std::string>> answers) {
  return RawServer([answers](const std::string &request) {
    const auto found = answers.find(PathOf(request));
    if (found == answers.end())
      return RawServer::Reply{RawResponse("HTTP/1.1 404 Not Found", "")};
    return RawServer::Reply{RawResponse(found->second.first, found->second.second)};
  });
}

struct InfoCase {
  const char *path;
  std::string statusLine;
  std::string headers;
  std::string lastModified;
  double fileSize;
  std::string remoteFileName;
  std::string remoteFileType;
  bool fileExists;
};

} // namespace

TEST(RequestInformation, ReadsEachHeaderOfTheResponse) {
  const std::string pad(3000, 'p');
  const std::vector<InfoCase> cases = {
      {"/all", "HTTP/1.1 200 OK",
       "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT\r\nContent-Length: 1234\r\n"
       "Content-Type: video/x-flv\r\nContent-Disposition: attachment; filename=\"a b.flv\"\r\n",
       "Wed, 21 Oct 2015 07:28:00 GMT", 1234, "a b.flv", "x-flv", true},
      {"/none", "HTTP/1.1 200 OK", "", "Not Available", -1, "", "", true},
      {"/zero", "HTTP/1.1 200 OK", "Content-Length: 0\r\n", "Not Available", 0, "", "", true},
      {"/html", "HTTP/1.1 200 OK", "Content-Type: text/html; charset=ISO-8859-1\r\n",
       "Not Available", -1, "", "html; charset=ISO-8859-1", true},
      {"/noslash", "HTTP/1.1 200 OK", "Content-Type: flv\r\n", "Not Available", -1, "", "flv",
       true},
      {"/case", "HTTP/1.1 200 OK",
       "LAST-MODIFIED: yesterday\r\ncontent-LENGTH: 55\r\ncontent-type: VIDEO/FLV\r\n"
       "CONTENT-DISPOSITION: INLINE; FILENAME=X.FLV\r\n",
       "yesterday", 55, "X.FLV", "FLV", true},
      {"/nospace", "HTTP/1.1 200 OK",
       "Last-Modified:yesterday\r\nContent-Length:55\r\nContent-Type:video/flv\r\n",
       "Not Available", -1, "", "", true},
      {"/missing", "HTTP/1.1 404 Not Found", "Content-Length: 0\r\n", "Not Available", 0, "", "",
       false},
      {"/filemissing", "HTTP/1.1 404 File Not Found", "", "Not Available", -1, "", "", false},
      {"/gone", "HTTP/1.1 404 Gone", "", "Not Available", -1, "", "", true},
      {"/error", "HTTP/1.1 500 Internal Server Error", "", "Not Available", -1, "", "", true},
      {"/big", "HTTP/1.1 200 OK", "X-Pad: " + pad + "\r\nContent-Length: 4096\r\n", "Not Available",
       4096, "", "", true},
      {"/huge", "HTTP/1.1 200 OK", "Content-Length: 3000000000\r\n", "Not Available", 3e9, "", "",
       true},
      {"/inside", "HTTP/1.1 200 OK", "X-Orig-Content-Length: 99999999\r\nContent-Length: 12\r\n",
       "Not Available", 12, "", "", true},
  };
  std::map<std::string, std::pair<std::string, std::string>> answers;
  for (const InfoCase &c : cases)
    answers[c.path] = {c.statusLine, c.headers};
  RawServer server = HeaderServer(answers);

  NoopPump pump;
  for (const InfoCase &c : cases) {
    SCOPED_TRACE(c.path);
    Download download(pump, ConnectionMap{});
    download.SetUrl(server.url(c.path));
    download.RequestInformation();
    EXPECT_TRUE(download.InfoRequested());
    EXPECT_EQ(download.FileExists(), c.fileExists);
    EXPECT_EQ(download.LastModified(), c.lastModified);
    EXPECT_DOUBLE_EQ(download.FileSize(), c.fileSize);
    EXPECT_EQ(download.RemoteFileName(), c.remoteFileName);
    EXPECT_EQ(download.RemoteFileType(), c.remoteFileType);
  }

  const auto requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front().rfind("HEAD /all HTTP/1.0\r\n", 0), 0u) << requests.front();
  EXPECT_NE(requests.front().find(std::string("User-Agent: ") + Download::kAgent + "\r\n"),
            std::string::npos);
}

TEST(RequestInformation, ALengthThatIsNotANumberThrowsAfterLastModified) {
  const char *values[] = {"abc", "-5", "", "12abc", "1 2"};
  for (const char *value : values) {
    SCOPED_TRACE(value);
    RawServer server([value](const std::string &) {
      return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", std::string("Last-Modified: new\r\n"
                                                                         "Content-Length: ") +
                                                                 value + "\r\n")};
    });
    NoopPump pump;
    Download download(pump, ConnectionMap{});
    download.SetUrl(server.url("/v"));
    download.SetFileSize(77);
    try {
      download.RequestInformation();
      ADD_FAILURE() << "no fault";
    } catch (const TransferFault &fault) {
      EXPECT_EQ(fault.kind(), TransferFault::Kind::HeaderValue);
    }
    EXPECT_EQ(download.LastModified(), "new");
    EXPECT_EQ(download.FileSize(), 77);
    EXPECT_TRUE(download.InfoRequested());
  }
}

TEST(RequestInformation, FailureKeepsTheRemoteNames) {
  std::string hugeHeaders;
  for (int i = 0; i < 10; ++i)
    hugeHeaders += "X-Pad-" + std::to_string(i) + ": " + std::string(7000, 'x') + "\r\n";
  RawServer server = HeaderServer({
      {"/named",
       {"HTTP/1.1 200 OK", "Content-Type: video/x-flv\r\nContent-Disposition: a; filename=v.flv\r\n"
                           "Content-Length: 10\r\nLast-Modified: then\r\n"}},
      {"/huge", {"HTTP/1.1 200 OK", hugeHeaders + "Content-Length: 10\r\n"}},
  });
  RawServer stalling([](const std::string &) { return RawServer::Reply{"", true}; });
  RawServer malformed([](const std::string &) {
    return RawServer::Reply{"HTTP/1.1 abc\r\nContent-Length: 5\r\n\r\n"};
  });
  RawServer silent([](const std::string &) { return RawServer::Reply{""}; });

  const std::string failing[] = {server.url("/huge"),
                                 stalling.url("/s"),
                                 malformed.url("/m"),
                                 silent.url("/q"),
                                 "http://127.0.0.1:1/closed-port",
                                 "http://bad host/x"};
  for (const std::string &url : failing) {
    SCOPED_TRACE(url);
    NoopPump pump;
    Download download(pump, ConnectionMap{});
    download.SetTimeouts(2000ms, 300ms);
    download.SetUrl(server.url("/named"));
    download.RequestInformation();
    ASSERT_EQ(download.RemoteFileName(), "v.flv");
    ASSERT_TRUE(download.FileExists());

    download.SetUrl(url);
    download.RequestInformation();
    EXPECT_FALSE(download.FileExists());
    EXPECT_EQ(download.LastModified(), "Not Available");
    EXPECT_EQ(download.FileSize(), -1);
    EXPECT_EQ(download.RemoteFileName(), "v.flv");
    EXPECT_EQ(download.RemoteFileType(), "x-flv");
  }
}

TEST(RequestInformation, AnonymousUnlessASiteUserIsGiven) {
  LocalServer server;
  std::vector<std::string> authorizations;
  server.server().Get("/v", [&](const httplib::Request &request, httplib::Response &response) {
    authorizations.push_back(request.get_header_value("Authorization"));
    response.set_content("12345", "video/x-flv");
  });
  server.Start();

  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetUrl(server.url("/v"));
  download.SetSitePassword("secret");
  download.RequestInformation();
  download.SetSiteUser("bob");
  download.RequestInformation();
  server.Stop();

  ASSERT_EQ(authorizations.size(), 2u);
  EXPECT_EQ(authorizations[0], "");
  EXPECT_EQ(authorizations[1], "Basic Ym9iOnNlY3JldA=="); // bob:secret
  EXPECT_EQ(download.FileSize(), 5);
  EXPECT_EQ(download.RemoteFileType(), "x-flv");
}

TEST(RequestInformation, AddressWithoutSchemeTakesTheHostFromItsStart) {
  RawServer server = HeaderServer({{"/p/q?x=1&y=2", {"HTTP/1.1 200 OK", "Content-Length: 3\r\n"}}});
  NoopPump pump;
  Download download(pump, ConnectionMap{});
  download.SetUrl("127.0.0.1:" + std::to_string(server.port()) + "/p/q?x=1&y=2");
  download.RequestInformation();
  EXPECT_TRUE(download.FileExists());
  EXPECT_EQ(download.FileSize(), 3);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("HEAD /p/q?x=1&y=2 HTTP/1.0\r\n", 0), 0u);
}

TEST(RequestInformation, FollowsMappingAndRedirects) {
  LocalServer server;
  server.server().Get("/start", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/video");
  });
  server.server().Get("/video", [](const httplib::Request &, httplib::Response &response) {
    response.set_content(std::string(4321, 'v'), "video/mp4");
  });
  server.server().Get("/loop", [](const httplib::Request &, httplib::Response &response) {
    response.set_redirect("/loop");
  });
  server.Start();

  ConnectionMap map;
  ASSERT_TRUE(map.Add("video.example.test:80:127.0.0.1:" + std::to_string(server.port())));
  NoopPump pump;
  Download download(pump, map);
  download.SetUrl("http://video.example.test/start");
  download.RequestInformation();
  EXPECT_TRUE(download.FileExists());
  EXPECT_EQ(download.FileSize(), 4321);
  EXPECT_EQ(download.RemoteFileType(), "mp4");

  download.SetUrl("http://video.example.test/loop");
  download.RequestInformation();
  EXPECT_FALSE(download.FileExists());
  EXPECT_EQ(download.FileSize(), -1);
}
