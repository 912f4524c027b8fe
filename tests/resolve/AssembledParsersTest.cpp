#include "resolve/PageParsers.h"

#include <gtest/gtest.h>

#include <string>

using namespace vidtrawl::resolve;

namespace {

const std::string kBoltPage = "http://www.bolt.com/video/123";

std::string BoltPage(const std::string &quotedAddress, const std::string &image) {
  return "<param name=\"x\" Value=\"[url=" + quotedAddress + "][IMG]" + image + "[/IMG][/url]\">";
}

} // namespace

TEST(ParseBolt, BuildsTheMovieAddressFromTheImage) {
  struct Case {
    std::string page, expected;
  } cases[] = {
      {BoltPage(kBoltPage, "http://images.bolt.com/image/ab/123_thumb.jpg"),
       "http://images.bolt.com/movie/ab/123.flv"},
      {BoltPage(kBoltPage, "http://i.bolt.com/image/123.jpg"), "http://i.bolt.com/movie/123.flv"},
      {BoltPage(kBoltPage, "http://i.bolt.com/image/a_b.c_d.jpg"),
       "http://i.bolt.com/movie/a_b.c.flv"},
      {BoltPage(kBoltPage, "http://i.bolt.com/image/a.flv_x"), "http://i.bolt.com/movie/a.flv"},
      {BoltPage(kBoltPage, "http://i/image/A.FLV_x"), "http://i/movie/A.FLV"}, // ".flv" in any case
      {BoltPage(kBoltPage, "abc"), "abc.flv"},
      {BoltPage(kBoltPage, "/IMAGE/x.jpg"), "/IMAGE/x.flv"}, // exact-case replacement
      {BoltPage("HTTP://WWW.BOLT.COM/VIDEO/123", "http://i/image/1.jpg"), "http://i/movie/1.flv"},
      {"value=\"[URL=" + kBoltPage + "][img]x/image/2.jpg[/img]", "x/movie/2.flv"},
      {BoltPage(kBoltPage + "/", "http://i/image/1.jpg"), ""}, // another address
      {BoltPage(kBoltPage + "?a=1", "http://i/image/1.jpg"), ""},
      {"Value=\"[url=" + kBoltPage + "][IMG]http://i/image/1.jpg", ""}, // no [/IMG]
      {"Value=\"[url=" + kBoltPage + "][IMG]", ""},
      {"", ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ParseBolt(c.page, kBoltPage), c.expected) << c.page;
}

TEST(ParseMyspace, BuildsTheAddressFromTheVideoNumber) {
  const std::string base = "http://content.myspace.com/";
  const std::string prefix =
      "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=";
  struct Case {
    std::string address, expected;
  } cases[] = {
      {prefix + "1234567890", base + "0012345/09/87/1234567890.flv"},
      {prefix + "12345", base + "0000000/54/32/12345.flv"},
      {prefix + "123456", base + "0000001/65/43/123456.flv"},
      {prefix + "123456789012", base + "1234567/21/09/123456789012.flv"},
      {prefix + "1234567890123", base + "12345678/32/10/1234567890123.flv"},
      {prefix + "12345&type=video", base + "12345&type=/oe/di/12345&type=video.flv"},
      {"http://vids.myspace.com/?VideoID=98765", base + "0000000/56/78/98765.flv"},
      {prefix + "1234", ""},
      {prefix, ""},
      {"http://vids.myspace.com/index.cfm?video=1234567890", ""},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(ParseMyspace("<html>anything</html>", c.address), c.expected) << c.address;
    EXPECT_EQ(ParseMyspace("", c.address), c.expected) << c.address; // the page plays no part
  }
}

TEST(ParseBreak, JoinsContentPathAndFileName) {
  const std::string base = "http://media1.break.com/dnet/media/";
  struct Case {
    std::string page, expected;
  } cases[] = {
      {"var sGlobalFileName='my_clip';\nvar sGlobalContentFilePath='2007/1/15';",
       base + "2007/1/15/my_clip.flv"},
      {"SGLOBALFILENAME='a' SGLOBALCONTENTFILEPATH='p'", base + "p/a.flv"},
      {"sGlobalFileName='';x='y'; sGlobalContentFilePath='p';", base + "p/';x=.flv"},
      {"sGlobalFileName='n'; sGlobalContentFilePath='';", base + "/n.flv"},
      {"sGlobalContentFilePath='p'; sGlobalFileName='n';", ""}, // path before the name
      {"sGlobalFileName='n'; sGlobalContentFilePath='p", ""},
      {"sGlobalFileName='n'", ""},
      {"sGlobalFileName='n", ""},
      {"sGlobalFileName='", ""},
      {"", ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ParseBreak(c.page, "http://www.break.com/index/x.html"), c.expected) << c.page;
}

TEST(ParseZippyVideos, JoinsTheFourValues) {
  struct Case {
    std::string page, expected;
  } cases[] = {
      {"<embed src='x.swf?storageId=17&userName=bob&videoId=99&x=1' "
       "flashvars='srvURL=http://s1.zippyvideos.com'>",
       "http://s1.zippyvideos.com/17/bob/99"},
      {"srvURL=http://s/' STORAGEID=1&USERNAME=u&VIDEOID=9&", "http://s//1/u/9"}, // doubled "/"
      {"storageId=&userName=&videoId=&srvURL='", "///"},
      {"srvURL=http://s' storageId=1&userName=u&videoId=9", ""}, // no "&" after the video id
      {"storageId=1&userName=u&videoId=9&srvURL=http://s", ""},  // no "'" after the server
      {"storageId=1&videoId=9&srvURL=http://s'", ""},            // no user name
      {"userName=u&videoId=9&srvURL=http://s'", ""},
      {"storageId=1&userName=u&srvURL=http://s'", ""},
      {"storageId=1&userName=u&videoId=9&", ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ParseZippyVideos(c.page, ""), c.expected) << c.page;
}
