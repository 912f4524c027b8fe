// The YouTube player's redirection: the request sent byte for byte over a connection of its own,
// the answer read, and every way it fails, each with its reason; then a page's whole lookup.
#include "sites/PlayerLookup.h"
#include "sites/SiteTable.h"
#include "sites/VideoLookup.h"

#include "engine/PollLoop.h"
#include "support/RawServer.h"

#include <gtest/gtest.h>

#include <optional>

namespace vidtrawl::sites {
namespace {

using namespace std::chrono_literals;
using testing::RawServer;
using K = base::FaultKind;

// What a request says up to its Host line ("GET /p HTTP/1.1 host").
std::string Start(const std::string &request) {
  const std::size_t host = request.find("\r\nHost: "), end = request.find("\r\n", host + 2);
  return request.substr(0, host) + " " + request.substr(host + 8, end - host - 8);
}

const std::string kRedirect = "HTTP/1.1 303 See Other\r\nLocation: "
                              "http://cache.example.net/v/x.swf?video_id=abc&t=T0k\r\n\r\n";

class PlayerLookupTest : public ::testing::Test {
protected:
  std::string Host() const { return "127.0.0.1:" + std::to_string(server.port()); }
  PlayerLookup::Answer Ask(net::Session &on, const std::string &player,
                           std::chrono::milliseconds timeout = 2000ms) {
    std::optional<PlayerLookup::Answer> answer;
    PlayerLookup lookup(on, player, timeout, [&](PlayerLookup::Answer a) { answer = a; });
    loop.RunUntil([&] { return answer.has_value(); }, 10s);
    return answer.value_or(PlayerLookup::Answer{{}, "no answer"});
  }

  RawServer server;
  engine::PollLoop loop;
  net::Session session{loop, {}};
};

TEST_F(PlayerLookupTest, AsksEachHostForItsPathAndBuildsTheVideoAddress) {
  server.SetReply({kRedirect});
  const std::string video = "/get_video?video_id=abc&t=T0k";
  const std::string local = "localhost:" + std::to_string(server.port()); // a name looked up
  EXPECT_EQ(Ask(session, "http://" + Host() + "/p.swf?video_id=abc&t=T0k").address,
            "http://" + Host() + video);
  EXPECT_EQ(Ask(session, Host() + "/w?v=1").address, "http://" + Host() + video);
  EXPECT_EQ(Ask(session, "HTTP://" + local).address, "http://" + local + video);
  net::ConnectionMap map;
  ASSERT_TRUE(map.Add("www.youtube.com:80:127.0.0.1:" + std::to_string(server.port())));
  net::Session mapped(loop, map);
  EXPECT_EQ(Ask(mapped, "http://www.youtube.com:80/p?v=1").address,
            "http://www.youtube.com:80" + video);
  EXPECT_EQ(Ask(mapped, "http://www.youtube.com/p?v=2").address, "http://www.youtube.com" + video);
  std::string starts;
  for (const std::string &request : server.Requests())
    starts += Start(request) + ", ";
  EXPECT_EQ(starts, "GET /p.swf?video_id=abc&t=T0k HTTP/1.1 " + Host() + ", GET /w?v=1 HTTP/1.1 " +
                        Host() + ", GET / HTTP/1.1 " + local +
                        ", GET /p?v=1 HTTP/1.1 www.youtube.com:80, GET /p?v=2 HTTP/1.1 "
                        "www.youtube.com, ");
}

TEST_F(PlayerLookupTest, EachFailureSaysWhy) {
  server.SetReply({kRedirect});
  RawServer closing, silent, empty;
  silent.SetReply({"", true});
  empty.SetReply({"HTTP/1.1 200 OK\r\n\r\n"});
  const std::string refused = "127.0.0.1:" + std::to_string(RawServer::UnusedPort());
  const std::pair<std::string, std::string> cases[] = {
      {"http://" + refused + "/p?v=1", "Connection refused"},
      {closing.url("/p?v=1"), "Connection closed by the host"},
      {silent.url("/p?v=1"), "Connection timed out"},
      {"http:///p?v=1", "Invalid host name"},
      {"http://", "Invalid host name"},
      {"http://evil.host\r\nX-Injected: 1/p?v=1", "Invalid host name"},
      {"http://127.0.0.1:99999/p?v=1", "Invalid port"},
      {server.url("/p?v=1\r\nX-Injected: 1"), "Invalid path"},
      {empty.url("/p?v=1"), "the player host's answer names no video"},
  };
  for (const auto &[address, problem] : cases) {
    SCOPED_TRACE(address);
    const PlayerLookup::Answer answer = Ask(session, address, 300ms);
    EXPECT_EQ(answer.address, "");
    EXPECT_EQ(answer.problem, problem);
  }
  EXPECT_TRUE(server.Requests().empty());
  session.SetClient({.proxy = closing.url("")}); // a proxy that closes before the tunnel is up
  EXPECT_EQ(Ask(session, "http://h/p").problem, "Proxy CONNECT aborted");
}

// The head of the answer is read to its blank line, however far apart its lines come.
TEST_F(PlayerLookupTest, TheWholeHeadIsReadThoughItComesInPieces) {
  server.SetReply({kRedirect, false, 150ms});
  EXPECT_EQ(Ask(session, server.url("/p?v=1")).address,
            "http://" + Host() + "/get_video?video_id=abc&t=T0k");
}

// A page's lookup ends with its video's address, or with why there is none.
TEST_F(PlayerLookupTest, APagesLookupEndsWithItsVideoOrWhyNot) {
  testing::ContentServer pages;
  net::ConnectionMap map;
  for (const char *host : {"www.youtube.com", "www.ifilm.com", "films.example.net"})
    ASSERT_TRUE(map.Add(host + (":80:127.0.0.1:" + std::to_string(pages.server.port()))));
  net::Session mapped(loop, map);
  pages.Serve("/watch", "<embed src=x;http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) +
                            "/p?v=1&>");
  pages.Serve("/live", "*, *url* : *http://h/live.m3u8*, x*,");
  pages.Serve("/blank", "nothing");
  pages.Serve("/clip", "<video controls src=clip.webm>");
  pages.Serve("/raw", "bytes", true, "video/mp4");
  pages.Serve("/hosted", "<iframe src='https://player.vimeo.com/video/7'></iframe>");
  pages.Serve("/frame", "<iframe src=/frame2></iframe>");
  pages.Serve("/frame2", "<iframe src=/clip></iframe>"); // a player page's player is not followed
  pages.Serve("/lost", "<meta property=og:video content=/gone>");
  const std::tuple<std::string, std::optional<K>, std::string> cases[] = {
      {"http://www.youtube.com/watch?v=1", K::PlayerLookup, "Connection refused"},
      {"http://www.ifilm.com/live", K::StreamingPlaylist, "http://h/live.m3u8"},
      {"http://www.ifilm.com/blank", K::SitePageNamesNoVideo, "the page names no video"},
      {"http://www.ifilm.com/gone", K::HttpStatus, "the server answered 404"},
      {"http://films.example.net/clip", {}, "http://films.example.net/clip.webm"},
      {"http://films.example.net/raw", {}, "http://films.example.net/raw"},
      {"http://films.example.net/hosted", K::HostedVideo,
       "Vimeo: https://player.vimeo.com/video/7"},
      {"http://films.example.net/blank", K::NoVideoFoundOnPage, "no video found on this page"},
      {"http://films.example.net/frame", K::NoVideoFoundOnPage, "no video found on this page"},
      {"http://films.example.net/lost", K::HttpStatus, "the server answered 404"},
      {"ftp://films.example.net/clip", K::UnsupportedSite, "the address is no supported site's"},
  };
  for (const auto &[page, kind, said] : cases) {
    SCOPED_TRACE(page);
    std::optional<base::Outcome<pagesearch::ResolvedVideo>> outcome;
    VideoLookup lookup(mapped, SiteOfAddress(page, SiteRule::AnyPage), page, {},
                       [&](base::Outcome<pagesearch::ResolvedVideo> o) { outcome = std::move(o); });
    ASSERT_TRUE(loop.RunUntil([&] { return outcome.has_value(); }, 10s));
    ASSERT_EQ(outcome->Failed() ? std::optional(outcome->Failure().kind) : std::nullopt, kind);
    EXPECT_EQ(kind ? outcome->Failure().detail : outcome->Value().address, said);
  }
}

} // namespace
} // namespace vidtrawl::sites
