// The YouTube player's redirection: the request sent over a raw connection, the answer read,
// and every failure shown to the user.
#include "resolve/RedirectResolver.h"

#include "support/RawServer.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

namespace vidtrawl::resolve {
namespace {

using testing::RawServer;

// What a request says up to its Host line ("GET /p HTTP/1.1 host").
std::string Start(const std::string &request) {
  const std::size_t host = request.find("\r\nHost: "), end = request.find("\r\n", host + 2);
  return request.substr(0, host) + " " + request.substr(host + 8, end - host - 8);
}

const std::string kRedirect = "HTTP/1.1 303 See Other\r\nLocation: "
                              "http://cache.example.net/v/x.swf?video_id=abc&t=T0k\r\n\r\n";

class RedirectResolverTest : public ::testing::Test {
protected:
  std::string Host() const { return "127.0.0.1:" + std::to_string(server.port()); }

  RawServer server;
  testing::ScriptedPump pump;
  testing::RecordingMessageBox messages;
  RedirectResolver resolver{pump, messages};
};

TEST_F(RedirectResolverTest, AsksEachHostForItsPathAndBuildsTheVideoAddress) {
  server.SetReply({kRedirect});
  const std::string video = "/get_video?video_id=abc&t=T0k";
  const std::string local = "localhost:" + std::to_string(server.port()); // a name looked up
  EXPECT_EQ(resolver.Resolve("http://" + Host() + "/p.swf?video_id=abc&t=T0k", {}).address,
            "http://" + Host() + video);
  EXPECT_EQ(resolver.Resolve(Host() + "/w?v=1", {}).address, "http://" + Host() + video);
  EXPECT_EQ(resolver.Resolve("HTTP://" + local, {}).address, "http://" + local + video);
  EXPECT_TRUE(messages.shown.empty());
  net::ConnectionMap map;
  ASSERT_TRUE(map.Add("www.youtube.com:80:127.0.0.1:" + std::to_string(server.port())));
  RedirectResolver mapped(pump, messages, map);
  EXPECT_EQ(mapped.Resolve("http://www.youtube.com:80/p?v=1", {}).address,
            "http://www.youtube.com:80" + video);
  EXPECT_EQ(mapped.Resolve("http://www.youtube.com/p?v=2", {}).address,
            "http://www.youtube.com" + video);
  std::string starts;
  for (const std::string &request : server.Requests())
    starts += Start(request) + ", ";
  EXPECT_EQ(starts, "GET /p.swf?video_id=abc&t=T0k HTTP/1.1 " + Host() + ", GET /w?v=1 HTTP/1.1 " +
                        Host() + ", GET / HTTP/1.1 " + local +
                        ", GET /p?v=1 HTTP/1.1 www.youtube.com:80, GET /p?v=2 HTTP/1.1 "
                        "www.youtube.com, ");
}

TEST_F(RedirectResolverTest, FailuresAreShownAndGiveEmptyText) {
  server.SetReply({kRedirect});
  RawServer closing, silent;
  silent.SetReply({"", true});
  const std::string refused = "127.0.0.1:" + std::to_string(RawServer::UnusedPort());
  const std::pair<std::string, std::string> cases[] = {
      {"http://" + refused + "/p?v=1", "Connection Error,Connection refused"},
      {closing.url("/p?v=1"), "Connection Error,Connection closed by the host"},
      {silent.url("/p?v=1"), "Connection Error,Connection timed out"},
      {"http:///p?v=1", "Connection Error,Invalid host name"},
      {"http://", "Connection Error,Invalid host name"},
      {"http://evil.host\r\nX-Injected: 1/p?v=1", "Connection Error,Invalid host name"},
      {"http://127.0.0.1:99999/p?v=1", "Connection Error,Invalid port"},
      {server.url("/p?v=1\r\nX-Injected: 1"), "Connection Error,Invalid path"},
      {"http://no-such-host.invalid/p", ""}, // the lookup's own words
  };
  resolver.SetTimeout(std::chrono::milliseconds(300));
  for (const auto &[address, message] : cases) {
    SCOPED_TRACE(address);
    messages.shown.clear();
    EXPECT_EQ(resolver.Resolve(address, {}).address, "");
    ASSERT_EQ(messages.shown.size(), 1u);
    if (!message.empty()) {
      EXPECT_EQ(messages.shown[0].text, message);
    }
    EXPECT_EQ(messages.shown[0].buttons, host::MessageBox::Buttons::Ok);
  }
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_GT(pump.calls, 0); // the host was kept live while waiting
}

// The head of the answer is read to its blank line, however far apart its lines come; the
// answer's problem is the item's reason, without a message.
TEST_F(RedirectResolverTest, TheWholeHeadIsReadThoughItComesInPieces) {
  server.SetReply({kRedirect, false, std::chrono::milliseconds(150)});
  EXPECT_EQ(resolver.Resolve(server.url("/p?v=1"), {}).address,
            "http://" + Host() + "/get_video?video_id=abc&t=T0k");
  server.SetReply({"HTTP/1.1 200 OK\r\n\r\n"});
  EXPECT_EQ(resolver.Resolve(server.url("/p?v=1"), {}).problem,
            "the player host's answer names no video");
  EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace vidtrawl::resolve
