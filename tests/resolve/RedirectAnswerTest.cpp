#include "resolve/RedirectAnswer.h"

#include <gtest/gtest.h>

using vidtrawl::resolve::YoutubePathFromAnswer;

TEST(YoutubePathFromAnswer, TakesTheQueryOfTheLocationHeader) {
  struct Case {
    std::string answer, path;
  } cases[] = {
      {"HTTP/1.1 303 See Other\r\nLocation: http://a.b/p/q.swf?video_id=x&t=y&l=3\r\n\r\n",
       "/get_video?video_id=x&t=y&l=3"},
      {"HTTP/1.1 303 See Other\r\nlocation: http://a.b/?v=1\r\n", "/get_video?v=1"},
      {"HTTP/1.1 303 See Other\r\nLOCATION: /rel?v=1?w=2\r\n", "/get_video?v=1?w=2"},
      {"Location: http://a.b/p?\r\n", "/get_video?"},
      // one blank after the colon is assumed: without it the value loses its first letter
      {"Location:?v=1?w=2\r\n", "/get_video?w=2"},
      {"Location:x?v=1\r\n", "/get_video?v=1"},
      // the first header wins, and the value ends at the first CR LF
      {"Location: /a?first\r\nLocation: /b?second\r\n", "/get_video?first"},
      {"Location: /a?x=1\nmore?y\r\n", "/get_video?x=1\nmore?y"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(YoutubePathFromAnswer(c.answer), c.path) << c.answer;
}

TEST(YoutubePathFromAnswer, NoUsableHeaderGivesEmptyText) {
  const std::string cases[] = {
      "",
      "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
      "HTTP/1.1 303 See Other\r\nLocation: http://a.b/no/query\r\n\r\n",
      "HTTP/1.1 303 See Other\r\nLocation: http://a.b/p?v=1", // no CR LF after it
      "Location:\r\n?v=1\r\n",                                // no value
      "Location: \r\n",
      "Location",
      "Locatio: /a?b\r\n",
  };
  for (const auto &answer : cases)
    EXPECT_EQ(YoutubePathFromAnswer(answer), "") << answer;
}

TEST(YoutubePathFromAnswer, FindsTheHeaderFarIntoALongAnswer) {
  const std::string answer =
      "HTTP/1.1 303 See Other\r\nX-Pad: " + std::string(70000, 'p') + "\r\nLocation: /w?v=9\r\n";
  EXPECT_EQ(YoutubePathFromAnswer(answer), "/get_video?v=9");
}
