// A page's bytes read as text in their encoding, its markup bounded, and what its tree holds.
#include "pagesearch/BoundedMarkup.h"
#include "pagesearch/PageDecode.h"
#include "pagesearch/PageMarkup.h"

#include <gtest/gtest.h>

#include <regex>
#include <tuple>

namespace vidtrawl::pagesearch {
namespace {

std::string Repeat(std::string_view text, std::size_t times) {
  return times == 0 ? "" : std::string(text) + Repeat(text, times - 1);
}

std::vector<std::string> Cases(std::string_view text) {
  std::vector<std::string> cases(1);
  for (const char c : text)
    c == '|' ? cases.emplace_back() : cases.back() += c;
  return cases;
}

// A page's bytes decoded as a browser decides their encoding: byte order mark, then header, then
// meta, then UTF-8 if they are, else windows-1252. Cases: markup, Content-Type, bytes, their text.
// Bad or unknown labels are passed over; bytes of no character, or of one cut, become U+FFFD;
// UTF-16 named by the page itself cannot be (it was read as ASCII to find it) and means UTF-8.
TEST(PageDecode, ByteOrderMarkThenHeaderThenMetaThenWindows1252) {
  const std::string koi8 = "<meta charset=\"koi8-r\">",
                    cp = "<!-- <meta charset=koi8-r> --><meta "
                         "http-equiv=Content-Type content='text/html; charset=windows-1252'>";
  const std::tuple<std::string, const char *, std::string, std::string> cases[] = {
      {"", "text/html; charset=iso-8859-1",
       "\xEF\xBB\xBF"
       "caf\xC3\xA9",
       "caf\u00e9"},
      {"", "", std::string("\xFF\xFEh\0i\0", 6), "hi"},
      {"", "text/html; charset=ISO-8859-1", "caf\xE9", "caf\u00e9"},
      {"", "text/html;charset=\"no-such-thing\"", "caf\xE9", "caf\u00e9"},
      {koi8, "", "\xC1", "\u0430"},
      {koi8, "text/html; charset=windows-1252", "\xC1", "\u00c1"},
      {std::string(1024, ' ') + koi8, "", "\xC1", "\u00c1"},
      {cp, "", "\x80", "\u20ac"},
      {"", "", "caf\xC3\xA9", "caf\xC3\xA9"},
      {"", "", "caf\xC3\xA9 \xE2\x82", "caf\xC3\xA9 \xE2\x82"}, // UTF-8 cut in a character
      {"", "", "caf\xE9", "caf\u00e9"},
      {"", "text/html; charset=utf-8", "\x93x\x94", "\x93x\x94"},
      {"", "text/html; charset=utf-16le", std::string("h\0i\0", 4), "hi"},
      {"<meta charset=utf-16>", "", "caf\xC3\xA9", "caf\u00e9"},
      {"", "", std::string("\xFE\xFF\0h\0i", 6), "hi"},
      {"", "", std::string("\xFF\xFEh\0i", 5), "h\uFFFD"}, // cut inside a character
      {"", "text/html; x-charset-hint; charset = \" KOI8-R \"", "\xC1", "\u0430"},
      {"", "text/html; charset=utf-16be", std::string("\0h\0i", 4), "hi"},
      {"", "text/html; charset=koi8-r//IGNORE", "\xC1", "\u00c1"},
      {"<meta charset=x-unknown>", "", "\xC3\xA9", "\u00e9"},
      {"<!-- <meta charset=koi8-r>", "", "\xC1", "\u00c1"},
      {"<meta charset=windows-1252>", "", "\xC3\xA9", "\u00c3\u00a9"},
      {"", "", "\xE0\x9F\xBF", "\u00e0\u0178\u00bf"},
      {"", "", "\xED\xA0\x80", "\u00ed\u00a0\u20ac"},
      {"", "", "\xC1\xA9\xC3(", "\u00c1\u00a9\u00c3("},
      {"", "text/html; charset=euc-jp", "\xA4\xA2\xA4", "\u3042\uFFFD"},
      {"", "text/html; charset=cp1252", std::string(99, '\x81') + std::string(99, '\x80'),
       Repeat("\uFFFD", 99) + Repeat("\u20ac", 99)},
  };
  for (const auto &[markup, contentType, bytes, text] : cases)
    EXPECT_EQ(DecodePage(markup + bytes, contentType), markup + text) << markup << contentType;
  EXPECT_EQ(DecodePage("\xEF\xBB\xBF<meta charset=koi8-r>\xC3\xA9"), "<meta charset=koi8-r>\u00e9");
}

// Elements are closed as the parser closes them, and nothing the tokenizer reads as text (comments,
// scripts, a tag the page cuts) is taken for markup. Cases: the output with {added} and [dropped].
TEST(BoundMarkup, ClosesWhatTheParserClosesUpToTheLimitsAndNothingInText) {
  const std::string_view cases = // separated by '|'
      "<ul><li>a{</li>}<li>b{</li>}</ul>|<li>a<ul><li>b{</li>}</ul>|<h1>a{</h1>}<h2>b|"
      "<dl><dt>a{</dt>}<dd>b{</dd>}<dt>c{</dt>}</dl>|<p>a{</p>}<DIV>b</div>|<p><button><p>|"
      "<select><option>a{</option>}<option>b{</option>}<optgroup><option>c{</option></optgroup>}"
      "</select>|<select><optgroup>a{</optgroup>}<optgroup>|<a href=1>x{</a>}<a href=2>y|"
      "<table><tr><td>a{</td>}<th>b<tr>|<table><thead><tr>a{</tr>}<tr>{</tr></thead>}<tbody>|"
      "<div><span><b>{</b></span>}</div>x</i>|<p title = \"<div>\" id='>'>{</p>}<div>|"
      "<p>a < b{</p>}<div>|<p><!-- <div> --><!-->{</p>}<div>|<p><!-- a --!>{</p>}<div>|"
      "<p><!--->{</p>}<div>|<p><!-- <div>|<p></3 <div>><?x <div>>|<p><div class=\"cut|"
      "<p><script><!--<script></script><div>--></script>{</p>}<div>|<p><script><div>|"
      "<p><script><!-- </script>{</p>}<div>|<p><textarea><div></textarea[/]>{</p>}<div>|"
      "<svg><style><a>{</a>}<a>|<svg/><style><a><a>|<p><script></script[\t]>{</p>}<div>";
  for (const std::string &bounded : Cases(cases)) {
    const std::string html = std::regex_replace(bounded, std::regex("\\{[^}]*\\}|[\\[\\]]"), "");
    const std::string out = std::regex_replace(bounded, std::regex("\\[[^\\]]*\\]|[{}]"), "");
    EXPECT_EQ(BoundMarkup(html), out) << html;
  }
  // Past the depth limit an element becomes the deepest one's sibling; past the attribute limit a
  // tag keeps its first attributes and its self-closing slash.
  const std::string full = Repeat("<div>", kMaxTreeDepth);
  EXPECT_EQ(BoundMarkup(full + "<i>x"), full + "</div><i>x");
  EXPECT_EQ(BoundMarkup(full.substr(5) + "<i>x"), full.substr(5) + "<i>x");
  std::string kept;
  for (std::size_t i = 0; i < kMaxTagAttributes; ++i)
    kept += " a" + std::to_string(i) + (i % 2 ? "=\"x>\"" : "");
  EXPECT_EQ(BoundMarkup("<img" + kept + ">"), "<img" + kept + ">");
  EXPECT_EQ(BoundMarkup("<img" + kept + " src=x.mp4 />"), "<img" + kept + "/>");
  EXPECT_EQ(BoundMarkup("<p" + kept + "  b c><div>"), "<p" + kept + "></p><div>");
}

// What the walk of a page's tree gathers, one line per video element then the other lists.
std::string Gathered(const std::string &html) {
  GumboOutput *tree = gumbo_parse(html.c_str());
  PageMarkup markup;
  GatherMarkup(*tree->root, markup);
  gumbo_destroy_output(&kGumboDefaultOptions, tree);
  std::string out;
  const auto add = [&](const char *what, const auto &list) {
    for (const auto &item : list)
      if constexpr (std::is_same_v<std::decay_t<decltype(item)>, VideoSource>)
        out += what + item.reference + "/" + std::to_string(static_cast<int>(item.protocol)) +
               (item.quality ? "@" + std::to_string(item.quality) : "");
      else
        out += what + item;
  };
  for (const PageVideoElement &video : markup.videos) {
    out += std::string("video") + (video.controls ? " controls" : "") +
           (video.background ? " bg" : "") + (video.aside ? " aside" : "");
    add(" ", video.sources), add(" hosted ", video.hosted), out += "; ";
  }
  add("player ", markup.players), add("flash ", markup.flash), add(" hosted ", markup.hosted);
  add(" frame ", markup.frames), add(" link ", markup.links);
  return out;
}

// Only the videos of an aside, a link or an ad's box (by a whole word of its class or id) count.
TEST(PageMarkup, WhatEachElementOffersAndWhereItStands) {
  for (const bool ad : {true, false})
    for (const std::string &names : Cases(
             ad ? "class=video-ad|id=adSlot|class='x AD'|class=ad_box|class=sponsoredClip|id=iPadAd"
                : "class=header|class=shadow|class=BADGE|class='a' id='d'|class=pre-roll|"
                  "class='node node--promoted'|id=advertiser-guide"))
      EXPECT_EQ(Gathered("<p " + names + "><video>"), ad ? "video aside; " : "video; ") << names;
  const std::string offers =
      "<video src=v.mp4></video><iframe src=/p></iframe><iframe src=//dai.ly/1></iframe>"
      "<embed src=a.flv><script>f='x.mp4'</script><div data-config='{\"file\":\"j.mpd\"}'></div>";
  EXPECT_EQ(Gathered("<aside><div>" + offers + "</div></aside><video src=w.mp4>"),
            "video aside v.mp4/0; video w.mp4/0; ");
  EXPECT_EQ(Gathered(offers),
            "video v.mp4/0; player x.mp4/0player j.mpd/2flash a.flv/0 hosted //dai.ly/1 frame /p");
  const std::pair<std::string, std::string> cases[] = {
      {"<a href=/watch><source data-src=l.webm size=720><source src=''></a><a href=f.MP4>",
       "video aside l.webm/0@720;  link f.MP4"},
      {"<amp-video controls src=a.mp4></amp-video><video-js><source src=b.m3u8></video-js>",
       "video controls a.mp4/0; video b.m3u8/1; "},
      {"<video muted src=//youtu.be/x></video><video loop controls><video autoplay>"
       "<source src=m.mpd></video><video-js data-setup='{\"src\":\"http://vimeo.com/1\"}'>",
       "video bg hosted //youtu.be/x; video controls; video bg m.mpd/2; "
       "video hosted http://vimeo.com/1; "},
      // Templates and noscript (read without scripts) hold elements, comments and scripts none.
      {"<!-- <video src=c.mp4> --><template><video src=t.mp4></video></template>"
       "<noscript><video src=n.mp4></video></noscript><script>w('<video src=s.mp4>')</script>",
       "video t.mp4/0; video n.mp4/0; player s.mp4/0"},
  };
  for (const auto &[html, gathered] : cases)
    EXPECT_EQ(Gathered(html), gathered) << html;
}

} // namespace
} // namespace vidtrawl::pagesearch
