// The names of files: what cleaning leaves of a name, and what a file is called; the addresses
// a pasted text holds.
#include "list/AddressesInText.h"
#include "list/CleanFileName.h"
#include "list/FileNaming.h"

#include <gtest/gtest.h>

namespace vidtrawl::list {
namespace {

// Case and bytes above 127 stay; names never start hidden nor leave the folder.
TEST(CleanFileName, RemovesWhatNoNameMayHoldAndLeadingDotsAndBlanks) {
  const std::pair<std::string, std::string> cases[] = {
      {"Me & you?.flv", "Me  you.flv"},
      {"\\/:*?\"<>|&x", "x"},
      {" Clip .FLV ", "Clip .FLV "},
      {".bashrc", "bashrc"},
      {" . .x", "x"},
      {"a..b", "a..b"},
      {"../../x.flv", "x.flv"},
      {std::string("a\0b.flv", 7), "ab.flv"},
      {"a\tb\r\nc\x1f\x7f.flv", "abc.flv"},
      {" \x80\xff", "\x80\xff"},
      // Invisible characters that change how a name reads go; the joiners scripts need stay.
      {"clip\xe2\x80\xaevlf.exe", "clipvlf.exe"},
      {"\xe2\x81\xa6\xe2\x81\xa0"
       "a\xe2\x80\x8b\xef\xbb\xbf"
       "b\xc2\x80\xc2\x9f\xf3\xa0\x80\x81.flv",
       "ab.flv"},
      {"\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x92\xbb",
       "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x92\xbb"},
      {std::string(300, 'n'), std::string(300, 'n')}};
  for (const auto &[in, out] : cases)
    EXPECT_EQ(CleanFileName(in), out) << in;
  for (const std::string &in :
       std::vector<std::string>{"", "???", "/", ".", "..", "/..", " . ", std::string("..\0", 3)})
    EXPECT_EQ(CleanFileName(in), "Enter File Name") << in;
}

// A video extension in the address beats the server's name; long names are cut at a word or a
// character keeping their extension (after ".flv" is appended).
TEST(NameOfVideo, FromTheServerOrTheAddress) {
  std::string accents; // 190 bytes of two-byte characters
  for (int i = 0; i < 95; ++i)
    accents += "\xc3\xa9";
  std::string cyrillic; // ten words of six two-byte letters, a blank after each
  for (int i = 0; i < 10; ++i)
    cyrillic += "\u0433\u0430\u0432\u0430\u043d\u044c ";
  const sites::NamingRule flash{true, 100}, flash35{true, 35};
  const struct {
    std::string offered, address, name;
    sites::NamingRule rule = {};
  } cases[] = {
      {"", "/v/get_video?video_id=abc&t=xyz", "get_videovideo_id=abct=xyz.flv", flash35},
      {"other.mp4", "/a/clip.FLV", "clip.FLV"},
      {"other.mp4", "/a/clip.FLV", "clip.FLV.flv", flash},
      {"other.mp4", "/a/clip.wmv", "clip.wmv.flv", flash},
      {"other.mp4", "/a/flv", "other.mp4"},
      {"", "/" + std::string(96, 'n') + ".flv", std::string(96, 'n') + ".flv"},
      {"", "/" + std::string(120, 'n') + ".flv", std::string(96, 'n') + ".flv"},
      {accents + ".mp4", "/get", accents.substr(0, 96) + ".mp4"},
      {"a" + accents + ".webm", "/get", "a" + accents.substr(0, 94) + ".webm"},
      {accents + "x", "/get", accents.substr(0, 98) + "x"}, // cut inside a character at both ends
      {std::string(120, 'x') + ".abcdefghi", "/get", std::string(96, 'x') + "fghi"},
      {std::string(36, 'y') + ".mp4", "/get", std::string(31, 'y') + ".flv", flash35},
      // At a word where one ends near the cut, without what separated it from the next.
      {cyrillic + ".mp4", "/get", cyrillic.substr(0, 90) + ".mp4"},
      {std::string(80, 'a') + " \u2013 " + std::string(30, 'b') + ".mp4", "/get",
       std::string(80, 'a') + ".mp4"},
      {"", "noslash", "noslash"},
  };
  for (const auto &c : cases) {
    net::RemoteFile file;
    file.name = c.offered;
    const std::string address = c.address[0] == '/' ? "http://h" + c.address : c.address;
    EXPECT_EQ(NameOfVideo(file, address, c.rule), c.name) << c.address;
  }
}

// Addresses are picked out of any text, without the punctuation of the sentence around them; a
// text of none gives its lines.
TEST(AddressesInText, PicksEachAddressOutOfAnyText) {
  using Got = std::vector<std::string>;
  const std::pair<std::string, Got> cases[] = {
      {"http://a.example/1\r\nhttps://b.example/2\n\nHTTP://c.example/3 ",
       {"http://a.example/1", "https://b.example/2", "HTTP://c.example/3"}},
      {"See <a href=\"http://a.example/x?y=1&z\">this</a> (http://w.example/F_(b)), or "
       "'http://q.example/q'. Also xhttp://no.example, http:// and http://e.example/e.",
       {"http://a.example/x?y=1&z", "http://w.example/F_(b)", "http://q.example/q",
        "http://e.example/e"}},
      {"  www.youtube.com/watch?v=1 \n\n ftp://x/y\n", {"www.youtube.com/watch?v=1", "ftp://x/y"}},
      {" \n\t", {}}};
  for (const auto &[text, addresses] : cases)
    EXPECT_EQ(AddressesInText(text), addresses) << text;
}

} // namespace
} // namespace vidtrawl::list
