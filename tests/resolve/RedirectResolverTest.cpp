// The YouTube player's redirection: the request sent over a raw connection, the answer read,
// and every failure shown to the user.
#include "resolve/RedirectResolver.h"

#include "resolve/RedirectAnswer.h"
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
  std::string Shown() const { return messages.shown.empty() ? "" : messages.shown.back().text; }

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

TEST(YoutubePathFromAnswer, TakesTheQueryOfTheFirstLocationHeader) {
  const std::pair<std::string, std::string> cases[] = {
      {"HTTP/1.1 303 See Other\r\nLocation: http://a.b/p/q.swf?video_id=x&t=y&l=3\r\n\r\n",
       "/get_video?video_id=x&t=y&l=3"},
      {"HTTP/1.1 302 Found\r\nlocation: http://a.b/?v=1\r\n", "/get_video?v=1"},
      {"Location:?v=1?w=2\r\n", "/get_video?w=2"}, // one blank after the colon is assumed
      {"Location:x?v=1\r\n", "/get_video?v=1"},
      {"Location: /a?first\r\nLocation: /b?second\r\n", "/get_video?first"},
      {"Location: /a?x=1\nmore?y\r\n", "/get_video?x=1\nmore?y"},
      {"X-Pad: " + std::string(70000, 'p') + "\r\nLocation: /w?v=9\r\n", "/get_video?v=9"},
      {"", ""},
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
      {"Location: http://a.b/no/query\r\n", ""},
      {"Location: http://a.b/p?v=1", ""},
      {"Location:\r\n?v=1\r\n", ""},
      {"Location: \r\n", ""},
      {"Locatio: /a?b\r\n", ""},
  };
  for (const auto &[answer, path] : cases)
    EXPECT_EQ(YoutubePathFromAnswer(answer), path) << answer.substr(0, 60);
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

// The host runs during the wait: what it shows is shown, what it throws
// ends the wait, and a stop ends it without a word.
TEST_F(RedirectResolverTest, TheHostRunsDuringTheWait) {
  server.SetReply({"", true});
  pump.action = [&](long call) {
    if (call == 3)
      messages.Show("from the host", host::MessageBox::Buttons::Ok);
    if (call == 5)
      throw std::runtime_error("host gave up");
  };
  EXPECT_THROW(resolver.Resolve(server.url("/p?v=1"), {}).address, std::runtime_error);
  EXPECT_EQ(Shown(), "from the host");
  EXPECT_EQ(pump.calls, 5);
  bool stop = false;
  pump.action = [&](long call) { stop = call >= 8; };
  const auto stopped = [&] { return stop; };
  EXPECT_EQ(resolver.Resolve(server.url("/p?v=2"), stopped).address, "");
  EXPECT_EQ(pump.calls, 8);
  EXPECT_EQ(resolver.Resolve(server.url("/p?v=3"), stopped).address, ""); // nothing new starts
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(messages.shown.size(), 1u);
}

} // namespace
} // namespace vidtrawl::resolve
