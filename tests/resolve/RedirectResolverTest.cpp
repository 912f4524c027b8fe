#include "resolve/RedirectResolver.h"

#include "support/RecordingMessageBox.h"
#include "support/ScriptedPump.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

using vidtrawl::host::MessageBox;
using vidtrawl::net::ConnectionMap;
using vidtrawl::resolve::RedirectResolver;
using vidtrawl::testing::RecordingMessageBox;
using vidtrawl::testing::ScriptedPump;
using vidtrawl::testing::RawServer;

namespace {

std::string Request(const std::string &link, const std::string &host) {
  return "GET " + link + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" +
         "Accept: text/xml,application/xml,application/xhtml+xml,text/html;q=0.9,text/plain;"
         "q=0.8,image/png,*/*;q=0.5\r\n"
         "User-Agent: Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.8.1.9) "
         "Gecko/20071025 Firefox/2.0.0.9\r\n"
         "Accept -Encoding: gzip , deflate\r\n"
         "Accept-Language: en-us,en;q=0.5\r\n"
         "Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
         "Connection: Close\r\n"
         "\r\n";
}

const std::string kRedirect =
    "HTTP/1.1 303 See Other\r\n"
    "Location: http://cache.example.net/videoplayback/x.swf?video_id=abc&t=T0k&l=125\r\n"
    "Content-Length: 0\r\n\r\n";

class RedirectResolverTest : public ::testing::Test {
protected:
  std::string Local(const std::string &path) const {
    return "http://127.0.0.1:" + std::to_string(server.port()) + path;
  }
  std::string HostText() const { return "127.0.0.1:" + std::to_string(server.port()); }

  RawServer server;
  ScriptedPump pump;
  RecordingMessageBox messages;
  RedirectResolver resolver{pump, messages};
};

} // namespace

TEST_F(RedirectResolverTest, SendsTheRequestByteForByteAndBuildsTheVideoAddress) {
  server.SetReply({kRedirect});
  const std::string result = resolver.GetYoutubePathLnik(Local("/p.swf?video_id=abc&t=T0k"));
  EXPECT_EQ(result, "http://" + HostText() + "/get_video?video_id=abc&t=T0k&l=125");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], Request("/p.swf?video_id=abc&t=T0k", HostText()));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(resolver.wsHost, HostText());
  EXPECT_EQ(resolver.wsLink, "/p.swf?video_id=abc&t=T0k");
  EXPECT_TRUE(resolver.bFindYoutubeFinish);
  EXPECT_EQ(resolver.sYoutubeDownLink, "/get_video?video_id=abc&t=T0k&l=125");
}

TEST_F(RedirectResolverTest, AnAddressWithoutSchemeOrPathIsSplitAsItIs) {
  server.SetReply({kRedirect});
  EXPECT_EQ(resolver.GetYoutubePathLnik(HostText() + "/w?v=1"),
            "http://" + HostText() + "/get_video?video_id=abc&t=T0k&l=125");
  EXPECT_EQ(resolver.GetYoutubePathLnik("HTTP://" + HostText()),
            "http://" + HostText() + "/get_video?video_id=abc&t=T0k&l=125");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], Request("/w?v=1", HostText()));
  EXPECT_EQ(requests[1], Request("/", HostText())); // the earlier path is not sent again
}

TEST_F(RedirectResolverTest, ReadsTheLocationOfTheAnswer) {
  struct Case {
    std::string answer, result; // result without "http://" + host
  } cases[] = {
      {"HTTP/1.1 303 See Other\r\nlocation: http://other.host/a/b?x=1&y=2&z=3\r\n\r\n",
       "/get_video?x=1&y=2&z=3"},
      {"HTTP/1.1 302 Found\r\nLOCATION: /relative/path?only=one\r\n\r\n", "/get_video?only=one"},
      {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<html>no redirect</html>", ""},
      {"HTTP/1.1 303 See Other\r\nLocation: http://other.host/a/b\r\n\r\n", ""},
      {"HTTP/1.1 303 See Other\r\nLocation: http://other.host/a?b", ""},
  };
  for (const auto &c : cases) {
    RawServer server;
    server.SetReply({c.answer});
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    const std::string expected = c.result.empty() ? "" : "http://" + host + c.result;
    EXPECT_EQ(resolver.GetYoutubePathLnik("http://" + host + "/player?v=1"), expected) << c.answer;
    EXPECT_EQ(resolver.sYoutubeDownLink, c.result) << c.answer;
    EXPECT_TRUE(resolver.bFindYoutubeFinish);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RedirectResolverTest, OnlyTheFirstArrivalOfTheAnswerIsRead) {
  // The header comes only after the resolver has closed the connection.
  server.SetReply({"HTTP/1.1 303 See Other\r\n", false, "Location: http://h/p?v=1\r\n\r\n"});
  EXPECT_EQ(resolver.GetYoutubePathLnik(Local("/p?v=1")), "");
  EXPECT_EQ(resolver.sYoutubeDownLink, "");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RedirectResolverTest, AHostThatNeverAnswersTimesOut) {
  server.SetReply({"", true});
  resolver.SetTimeout(std::chrono::milliseconds(200));
  EXPECT_EQ(resolver.GetYoutubePathLnik(Local("/p?v=1")), "");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Connection Error,Connection timed out");
  EXPECT_EQ(messages.shown[0].buttons, MessageBox::Buttons::Ok);
  EXPECT_TRUE(resolver.bFindYoutubeFinish);
  EXPECT_EQ(resolver.sYoutubeDownLink, "");
  EXPECT_GT(pump.calls, 0); // the host was kept live while waiting
}

TEST_F(RedirectResolverTest, TheHostRunsDuringTheWait) {
  server.SetReply({"", true});
  resolver.SetTimeout(std::chrono::seconds(30));
  // A message box raised by the host in the middle of the wait is shown.
  pump.action = [&](long call) {
    if (call == 3)
      messages.Show("from the host", MessageBox::Buttons::Ok);
    if (call == 5)
      throw std::runtime_error("host gave up");
  };
  EXPECT_THROW(resolver.GetYoutubePathLnik(Local("/p?v=1")), std::runtime_error);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "from the host");
  EXPECT_EQ(pump.calls, 5);
}

TEST_F(RedirectResolverTest, ConnectionFailuresAreShownAndGiveEmptyText) {
  struct Case {
    std::string address, message;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/p?v=1",
       "Connection Error,Connection refused"},
      {"http:///p?v=1", "Connection Error,Invalid host name"},
      {"http://", "Connection Error,Invalid host name"},
      {"http://evil.host\r\nX-Injected: 1/p?v=1", "Connection Error,Invalid host name"},
      {"http://127.0.0.1:99999/p?v=1", "Connection Error,Invalid port"},
  };
  for (const auto &c : cases) {
    RecordingMessageBox messages;
    RedirectResolver resolver(pump, messages);
    EXPECT_EQ(resolver.GetYoutubePathLnik(c.address), "") << c.address;
    ASSERT_EQ(messages.shown.size(), 1u) << c.address;
    EXPECT_EQ(messages.shown[0].text, c.message) << c.address;
    EXPECT_EQ(messages.shown[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_TRUE(resolver.bFindYoutubeFinish);
  }
}

TEST_F(RedirectResolverTest, APathThatWouldBreakTheRequestIsNotSent) {
  server.SetReply({kRedirect});
  EXPECT_EQ(resolver.GetYoutubePathLnik(Local("/p?v=1\r\nX-Injected: 1")), "");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Connection Error,Invalid path");
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(RedirectResolverTest, AHostThatClosesWithoutAnsweringIsAnError) {
  EXPECT_EQ(resolver.GetYoutubePathLnik(Local("/p?v=1")), "");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Connection Error,Connection closed by the host");
}

TEST_F(RedirectResolverTest, TheConnectionMapSendsThePlayerHostToAnotherServer) {
  server.SetReply({kRedirect});
  ConnectionMap map;
  ASSERT_TRUE(map.Add("www.youtube.com:80:127.0.0.1:" + std::to_string(server.port())));
  RedirectResolver mapped(pump, messages, map);
  EXPECT_EQ(mapped.GetYoutubePathLnik("http://www.youtube.com:80/p.swf?video_id=abc"),
            "http://www.youtube.com:80/get_video?video_id=abc&t=T0k&l=125");
  EXPECT_EQ(mapped.GetYoutubePathLnik("http://www.youtube.com/p.swf?video_id=def"),
            "http://www.youtube.com/get_video?video_id=abc&t=T0k&l=125");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], Request("/p.swf?video_id=abc", "www.youtube.com:80"));
  EXPECT_EQ(requests[1], Request("/p.swf?video_id=def", "www.youtube.com"));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RedirectResolverTest, AnEarlierResultNeverReachesALaterOne) {
  server.SetReply({kRedirect});
  const std::string refused =
      "http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/p?v=2";
  EXPECT_NE(resolver.GetYoutubePathLnik(Local("/p?v=1")), "");
  EXPECT_EQ(resolver.GetYoutubePathLnik(refused), "");
  EXPECT_EQ(resolver.sYoutubeDownLink, "");

  RawServer plain;
  plain.SetReply({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
  EXPECT_NE(resolver.GetYoutubePathLnik(Local("/p?v=3")), "");
  EXPECT_EQ(resolver.GetYoutubePathLnik("http://127.0.0.1:" + std::to_string(plain.port()) + "/"),
            "");
  EXPECT_EQ(resolver.sYoutubeDownLink, "");
}
