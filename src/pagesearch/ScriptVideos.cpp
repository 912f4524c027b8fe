#include "pagesearch/ScriptVideos.h"

#include "base/AsciiCase.h"
#include "pagesearch/SourceQuality.h"
#include "pagesearch/VideoFiles.h"
#include "pagesearch/VideoHosts.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vidtrawl::pagesearch {
namespace {

// Characters no address in a script runs across (on its left side '=' too:
// "file=/v/a.flv").
constexpr std::string_view kRightEdges = "\"'` \t\r\n<>(){}[],;\\|";
constexpr std::string_view kLeftEdges = "\"'` \t\r\n<>(){}[],;\\|=*";
constexpr std::size_t kLongestAddress = 2048;
// How far the object around an address may reach, either side.
constexpr std::size_t kObjectReach = 400;

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = base::LowerAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool IsAlphanumeric(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Whether a video file's or playlist's extension starts at text[dot].
bool ExtensionAt(std::string_view text, std::size_t dot, std::size_t &end) {
  end = dot + 1;
  while (end < text.size() && end - dot <= 5 && IsAlphanumeric(text[end]))
    ++end;
  if (end - dot < 3 || end - dot > 5 || (end < text.size() && IsAlphanumeric(text[end])))
    return false;
  const std::string name = "x" + std::string(text.substr(dot, end - dot));
  return NamesVideoFile(name) || NamesStreamingPlaylist(name);
}

// Whether an absolute address starts at text[at]: a scheme and "://", or "//".
bool AbsoluteAt(std::string_view text, std::size_t at) {
  std::size_t i = at;
  while (i < text.size() && i - at < 16 && std::isalpha(static_cast<unsigned char>(text[i])))
    ++i;
  return text.substr(i, 3) == "://" ? i > at : text.substr(at, 2) == "//";
}

// Where an address that reached back to a '=' or '*' really begins: a signed address
// ("https://cdn/exp=1~hmac=ab/v.mp4") is the whole quoted string it opens.
std::size_t QuotedStart(std::string_view text, std::size_t begin, std::size_t lowest) {
  if (begin <= lowest || (text[begin - 1] != '=' && text[begin - 1] != '*'))
    return begin;
  std::size_t at = begin - 1;
  while (at > lowest && kRightEdges.find(text[at - 1]) == std::string_view::npos)
    --at;
  const bool quoted =
      at > lowest && (text[at - 1] == '"' || text[at - 1] == '\'' || text[at - 1] == '`');
  // Past a '?' the '=' is a query's, and what follows it an address of its own
  // ("http://h/player.swf?file=/v/a.flv").
  const bool inPath = text.substr(at, begin - at).find_first_of("?#") == std::string_view::npos;
  return quoted && inPath && AbsoluteAt(text, at) ? at : begin;
}

long PlausibleHeight(long height) {
  return height >= 100 && height <= 4320 ? height : 0;
}

// The quality an object's keys give ("height": 720, "label": "1080p", ...).
long QualityOfObject(std::string_view object) {
  for (const std::string_view key : {"height", "quality", "label", "resolution", "res", "size"}) {
    std::size_t at = 0;
    while ((at = base::FindIgnoringCase(object, key, at)) != std::string_view::npos) {
      at += key.size();
      std::size_t i = at;
      while (i < object.size() && (object[i] == '"' || object[i] == '\'' || object[i] == ' '))
        ++i;
      if (i >= object.size() || (object[i] != ':' && object[i] != '='))
        continue;
      ++i;
      while (i < object.size() && (object[i] == '"' || object[i] == '\'' || object[i] == ' '))
        ++i;
      const std::size_t end = std::min(object.find_first_of("\"',}", i), object.size());
      if (const long height = PlausibleHeight(QualityOfLabel(object.substr(i, end - i))))
        return height;
    }
  }
  return 0;
}

long QualityNear(std::string_view text, std::size_t begin, std::size_t end) {
  const std::size_t from = begin > kObjectReach ? begin - kObjectReach : 0;
  const std::size_t open = text.substr(from, begin - from).find_last_of("{}");
  const std::size_t close = text.substr(end, kObjectReach).find_first_of("{}");
  if (open != std::string_view::npos && text[from + open] == '{' &&
      close != std::string_view::npos && text[end + close] == '}')
    if (const long height = QualityOfObject(text.substr(from + open, end + close - from - open)))
      return height;
  // Its key: what stands between the last separator and the address.
  const std::size_t keyFrom = begin > 80 ? begin - 80 : 0;
  const std::size_t separator = text.substr(keyFrom, begin - keyFrom).find_last_of("{[,;(");
  if (separator != std::string_view::npos)
    if (const long height = PlausibleHeight(
            QualityOfLabel(text.substr(keyFrom + separator + 1, begin - keyFrom - separator - 1))))
      return height;
  return QualityInAddress(text.substr(begin, end - begin));
}

} // namespace

std::string UnescapeScript(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, char>, 9> kEntities{{{"&amp;", '&'},
                                                                               {"&quot;", '"'},
                                                                               {"&#39;", '\''},
                                                                               {"&#x27;", '\''},
                                                                               {"&#47;", '/'},
                                                                               {"&#x2f;", '/'},
                                                                               {"&sol;", '/'},
                                                                               {"&lt;", '<'},
                                                                               {"&gt;", '>'}}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '/') {
      out.push_back('/');
      i += 2;
      continue;
    }
    if (c == '\\' && i + 5 < text.size() && (text[i + 1] == 'u' || text[i + 1] == 'U')) {
      int code = 0;
      for (std::size_t k = i + 2; k < i + 6 && code >= 0; ++k)
        code = HexValue(text[k]) < 0 ? -1 : code * 16 + HexValue(text[k]);
      if (code > 0x1F && code < 0x7F && code != '"' && code != '\'' && code != '\\') {
        out.push_back(static_cast<char>(code));
        i += 6;
        continue;
      }
    }
    if (c == '&') {
      const auto entity = std::find_if(kEntities.begin(), kEntities.end(), [&](const auto &e) {
        return base::StartsWithIgnoringCase(text.substr(i), e.first);
      });
      if (entity != kEntities.end()) {
        out.push_back(entity->second);
        i += entity->first.size();
        continue;
      }
    }
    out.push_back(c);
    ++i;
  }
  return out;
}

std::vector<ScriptVideo> FindScriptVideos(std::string_view script) {
  const std::string text = UnescapeScript(script);
  std::vector<ScriptVideo> found;
  std::size_t floor = 0; // where the last address ended: none reaches back over it
  for (std::size_t dot = text.find('.'); dot != std::string::npos; dot = text.find('.', dot + 1)) {
    std::size_t end = 0;
    if (dot < floor || !ExtensionAt(text, dot, end))
      continue;
    std::size_t begin = dot;
    const std::size_t lowest = std::max(floor, dot > kLongestAddress ? dot - kLongestAddress : 0);
    while (begin > lowest && kLeftEdges.find(text[begin - 1]) == std::string_view::npos)
      --begin;
    begin = QuotedStart(text, begin, lowest);
    if (end < text.size() && (text[end] == '?' || text[end] == '#'))
      end +=
          std::min(std::string_view(text).substr(end, kLongestAddress).find_first_of(kRightEdges),
                   std::min(text.size() - end, kLongestAddress));
    floor = end;
    const std::string_view address = std::string_view(text).substr(begin, end - begin);
    if (begin < dot && (NamesVideoFile(address) || NamesStreamingPlaylist(address)))
      found.push_back({std::string(address), QualityNear(text, begin, end)});
  }
  return found;
}

std::string FindHostedAddress(std::string_view text) {
  const std::string unescaped = UnescapeScript(text);
  const std::string_view view = unescaped;
  for (std::size_t at = base::FindIgnoringCase(view, "http"); at != std::string_view::npos;
       at = base::FindIgnoringCase(view, "http", at + 4)) {
    const std::size_t end =
        at + std::min(view.substr(at, kLongestAddress).find_first_of(kRightEdges),
                      std::min(view.size() - at, kLongestAddress));
    if (!VideoHostOf(view.substr(at, end - at)).empty())
      return std::string(view.substr(at, end - at));
  }
  return {};
}

} // namespace vidtrawl::pagesearch
