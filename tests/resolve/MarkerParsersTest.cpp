#include "resolve/PageParsers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vidtrawl::resolve;

namespace {

struct Case {
  std::string page;
  std::string expected;
};

using Parser = std::string (*)(std::string_view, std::string_view);

void ExpectAll(Parser parse, const std::vector<Case> &cases) {
  for (const Case &c : cases)
    EXPECT_EQ(parse(c.page, "http://page/address"), c.expected) << c.page;
}

const std::string kBlipMarker =
    "readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";

} // namespace

TEST(ParseAngryAlien, ValueAfterEmbedSource) {
  ExpectAll(ParseAngryAlien,
            {
                {"<p><embed src=\"http://www.angryalien.com/x.swf\" width=1>",
                 "http://www.angryalien.com/x.swf"},
                {"<EMBED SRC=\"HTTP://A/b.swf\">", "HTTP://A/b.swf"},             // any case
                {"<embed src=\"/media/x.swf\">", ""},                             // relative
                {"<embed src=\"/go?u=http://x/y.swf\">", "/go?u=http://x/y.swf"}, // "http" anywhere
                {"<embed src=\"\">", ""},
                {"<embed src='http://a/b.swf'>", ""},                           // no marker
                {"<embed src=\"/rel.swf\"><embed src=\"http://a/b.swf\">", ""}, // first marker only
                {"<embed src=\"http://a/b.swf", ""},                            // unterminated
                {"<embed src=\"", ""},                                          // marker at the end
                {"", ""},
            });
}

TEST(ParseThatVideoSite, ValueAfterEmbedSourceInSingleQuotes) {
  ExpectAll(ParseThatVideoSite, {
                                    {"x <embed src='http://thatvideosite.com/v/1.flv' a='b'>",
                                     "http://thatvideosite.com/v/1.flv"},
                                    {"<Embed Src='Http://a/b'>", "Http://a/b"},
                                    {"<embed src='videos/1.flv'>", ""},
                                    {"<embed src=\"http://a/b.flv\">", ""},
                                    {"<embed src='http://a/b.flv", ""},
                                    {"<embed src='", ""},
                                });
}

TEST(ParseIFilm, ValueFromTheHttpOfTheMarkerWithDollarsRestored) {
  ExpectAll(
      ParseIFilm,
      {
          {"{*url* : *http://ifilm.com/a.flv?x=1$y=2*, *w* : 1}", "http://ifilm.com/a.flv?x=1&y=2"},
          {"{*URL* : *HTTP://I/A$$*,", "HTTP://I/A&&"},
          {"*url* : *http://*,", "http://"},              // the value always has http://
          {"*, *url* : *http://a/b*, x*,", "http://a/b"}, // "*," before the marker is passed
          {"*url* : *http://a/b*", ""},                   // no "*,"
          {"*url* : http://a/b*,", ""},                   // no marker
          {"*url* : *http://", ""},
      });
}

TEST(ParseBlipTV, ValueUnchangedAndQuoteLookedForFromItsTenthCharacter) {
  ExpectAll(
      ParseBlipTV,
      {
          {"<input " + kBlipMarker + "http://blip.tv/file/get/A.flv?x=1&amp;y=%20\" />",
           "http://blip.tv/file/get/A.flv?x=1&amp;y=%20"},
          {kBlipMarker + "ab\"cdefghij\"rest", "ab\"cdefghij"}, // quote at value char 3 skipped
          {kBlipMarker + "123456789\"x\"", "123456789"},        // quote at value char 10 ends it
          {kBlipMarker + "abc\" class=\"x\"", "abc\" class="},
          {kBlipMarker + "abc\"", ""}, // page ends before char 10
          {kBlipMarker + "http://blip.tv/no-quote", ""},
          {"readonly=\"readonly\" type=\"text\" value=\"http://a/b.flv\"", ""},
      });
  // Any case of the marker.
  std::string upper = kBlipMarker;
  for (char &ch : upper)
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_EQ(ParseBlipTV(upper + "http://blip.tv/x.flv\"", ""), "http://blip.tv/x.flv");
}

TEST(ParseDailyMotion, SkipsTwoCharactersAndDecodes) {
  ExpectAll(
      ParseDailyMotion,
      {
          {"so.addVariable(\"url\", \"http%3A%2F%2Fwww.dailymotion.com%2Fget%2F1.flv%3Fkey%3D1\");",
           "http://www.dailymotion.com/get/1.flv?key=1"},
          {"ADDVARIABLE(\"URL\", \"http://a/b%zz\")", "http://a/b%zz"},
          {"addVariable(\"url\",\"http://x/y.flv\")",
           "ttp://x/y.flv"}, // two characters skipped regardless
          {"addVariable(\"url\", \"\")", ""},
          {"addVariable(\"url\", \"http://x/y.flv", ""},
          {"addVariable(\"url\",", ""},
          {"addVariable(\"url\", ", ""},
          {"addVariable('url', \"http://x/y.flv\")", ""},
      });
  const std::string head = "addVariable(\"url\", \"";
  EXPECT_EQ(ParseDailyMotion(head + std::string(1023, 'a') + "\"", ""), std::string(1023, 'a'));
  EXPECT_EQ(ParseDailyMotion(head + std::string(1024, 'a') + "\"", ""), "");
}

TEST(ParseGoogleVideo, IpodLinkWayKeepsEscapesAndRestoresAmpersands) {
  ExpectAll(
      ParseGoogleVideo,
      {
          {"var videoUrl = \"http%3A%2F%2Fother\";"
           "<a "
           "href=\"http://vp.video.google.com/"
           "videodownload?version=0&amp;secureurl=a%2Fb&amp;sigh=x\""
           " id=\"ipoddownloadlink\">",
           "http://vp.video.google.com/videodownload?version=0&secureurl=a%2Fb&sigh=x"},
          {"<a href=\"http://first\">x</a><A HREF=\"http://second\" ID=IPODDOWNLOADLINK>"
           "<a href=\"http://after\">",
           "http://second"},                                // the last href before the marker
          {"<a href=\"\" x=\"ipoddownloadlink\"", "\" x="}, // the quote is looked for from h + 7
          {"<a href=\"http://no-quote ipoddownloadlink", ""},
          {"ipoddownloadlink <a href=\"http://after\">", ""}, // no href before it
          {"<a href=\"x", ""},
      });
}

TEST(ParseGoogleVideo, VideoUrlWayDecodesFromTheFirstHttp) {
  ExpectAll(
      ParseGoogleVideo,
      {
          {"http://before \"<script>var videoUrl = \"http%3A%2F%2Fvp.google.com%2Fx.flv%3Fa%3D1\";",
           "http://vp.google.com/x.flv?a=1"},
          {"VIDEOURL: 'x' HTTP%3a%2F%2Fa\"", "HTTP://a"},
          {"videoUrl = \"" + std::string(1100, 'h') + "\" http://a\"", "http://a"},
          {"videoUrl = \"ftp://a\"", ""}, // no http after the marker
          {"videoUrl = \"http://a", ""},  // no closing quote
          {"<html>nothing</html>", ""},
      });
  // A decoded value of 1,024 characters or more gives empty text.
  EXPECT_EQ(ParseGoogleVideo("videoUrl=\"http" + std::string(1020, 'x') + "\"", ""), "");
}

TEST(ParseYoutube, PlayerAddressGoesToTheResolver) {
  std::vector<std::string> asked;
  const PlayerResolver resolver = [&asked](const std::string &player) {
    asked.push_back(player);
    return "video:" + player;
  };
  struct YCase {
    std::string page, expected;
    std::vector<std::string> asked;
  } cases[] = {
      {"<embed src=\"/player2.swf?x=1;http://www.youtube.com/player2.swf?video_id=abc&t=xyz\">",
       "video:http://www.youtube.com/player2.swf?video_id=abc",
       {"http://www.youtube.com/player2.swf?video_id=abc"}},
      {"a;b& <EMBED SRC=x;http://y/p?v=1&z", "video:http://y/p?v=1", {"http://y/p?v=1"}},
      {"embed src=x;&http://y/p&", "", {}}, // ";" directly followed by "&": no request
      {"embed src=x&y;z", "", {}},          // no "&" after the ";"
      {"embed src=x&y", "", {}},            // no ";"
      {"embed sr=x;y&z", "", {}},           // no marker
      {"embed src=x;", "", {}},
  };
  for (const YCase &c : cases) {
    asked.clear();
    EXPECT_EQ(ParseYoutube(c.page, "http://www.youtube.com/watch?v=abc", resolver), c.expected)
        << c.page;
    EXPECT_EQ(asked, c.asked) << c.page;
  }
  EXPECT_EQ(ParseYoutube("embed src=;p&", "", nullptr), "");
  EXPECT_EQ(ParseYoutube("embed src=;p&", "", [](const std::string &) { return std::string(); }),
            "");
}

TEST(ParsePutFile, FromHttpThroughTheExtension) {
  ExpectAll(
      ParsePutFile,
      {
          {"<a href=\"http://x/a.wmv\"><param value=\"http://putfile.com/v/b.flv\">",
           "http://putfile.com/v/b.flv"}, // ".flv" wins over an earlier ".wmv"
          {"so=\"http://x/a.wmv\" other", "http://x/a.wmv"},
          {"HTTP://x/B.FLV?z", "HTTP://x/B.FLV"},
          {"src=\"http://a/page.html\" data=\"/b.flv\"", "http://a/page.html\" data=\"/b.flv"},
          {"http://a/ http://b/c.flv", "http://b/c.flv"}, // the last http before it
          {"http.flv", "http.flv"},
          {"see b.flv then http://x/c.flv", ""}, // no http before the first .flv
          {"<html>no video</html>", ""},
          {"", ""},
      });
}
