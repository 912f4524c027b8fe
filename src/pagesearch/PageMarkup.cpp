#include "pagesearch/PageMarkup.h"

#include "base/AsciiCase.h"
#include "base/CollapseBlanks.h"
#include "base/TrimBlanks.h"
#include "net/UrlHelpers.h"
#include "pagesearch/BoundedMarkup.h"
#include "pagesearch/ScriptVideos.h"
#include "pagesearch/SourceQuality.h"
#include "pagesearch/VideoFiles.h"
#include "pagesearch/VideoHosts.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vidtrawl::pagesearch {
namespace {

// Where in the page an element stands.
struct Context {
  int video = -1;          // the player element it is in, by its index; -1 for none
  bool aside = false;      // in an <aside>, a link, or an advertisement's box
  bool controller = false; // in a <media-controller>: its slot="media" element is the player
  std::size_t depth = 0;
};

// The walk's own guard of its stack, should the parser still build a tree
// deeper than the page was bounded to: what lies deeper is not read.
constexpr std::size_t kDeepestWalk = 4 * kMaxTreeDepth;

std::string Attribute(const GumboElement &element, const char *name) {
  const GumboAttribute *attribute = gumbo_get_attribute(&element.attributes, name);
  return attribute != nullptr && attribute->value != nullptr ? attribute->value : "";
}

bool HasAttribute(const GumboElement &element, const char *name) {
  return gumbo_get_attribute(&element.attributes, name) != nullptr;
}

std::string TextOf(const GumboNode &node) {
  std::string text;
  const GumboVector &children = node.v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const auto *child = static_cast<const GumboNode *>(children.data[i]);
    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_CDATA ||
        child->type == GUMBO_NODE_WHITESPACE)
      text += child->v.text.text;
  }
  return text;
}

// The element's name, custom elements' (amp-video, video-js) too.
std::string TagName(const GumboElement &element) {
  if (element.tag != GUMBO_TAG_UNKNOWN)
    return gumbo_normalized_tagname(element.tag);
  GumboStringPiece piece = element.original_tag;
  if (piece.data == nullptr || piece.length == 0)
    return {};
  gumbo_tag_from_original_text(&piece);
  return base::LowerAscii(std::string_view(piece.data, piece.length));
}

// Whether a class or id names an advertisement or a sponsor: one of its whole words ("video-ad",
// "adSlot", "sponsored-clip", "promo"), never a word that only starts like one ("node--promoted",
// "advertiser-guide").
bool NamesAdvertisement(std::string_view names) {
  static constexpr std::array<std::string_view, 16> kWords{
      "ad",        "ads",         "adslot",        "adunit",         "dfp",     "preroll",
      "advert",    "adverts",     "advertisement", "advertisements", "sponsor", "sponsors",
      "sponsored", "sponsorship", "promo",         "promos"};
  std::string word;
  const auto ends = [&] {
    const bool ad = std::find(kWords.begin(), kWords.end(), word) != kWords.end();
    word.clear();
    return ad;
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    const char c = names[i];
    const bool upper = c >= 'A' && c <= 'Z';
    if (!std::isalnum(static_cast<unsigned char>(c)) ||
        (upper && i > 0 && names[i - 1] >= 'a' && names[i - 1] <= 'z')) {
      if (ends())
        return true;
    }
    if (std::isalnum(static_cast<unsigned char>(c)))
      word.push_back(base::LowerAscii(c));
  }
  return ends();
}

// What a player's element is: a video element of its own kind (<hls-video>, <amp-video>, the
// Video.js element), or a player that draws its own controls (<media-player>, <mux-player>).
enum class PlayerKind { None, Video, Player };

PlayerKind PlayerKindOf(const GumboElement &element, std::string_view name) {
  if (element.tag == GUMBO_TAG_VIDEO || name == "video-js")
    return PlayerKind::Video;
  if (name.find('-') == std::string_view::npos) // custom elements' names hold a hyphen
    return PlayerKind::None;
  return name.ends_with("-video")    ? PlayerKind::Video
         : name.ends_with("-player") ? PlayerKind::Player
                                     : PlayerKind::None;
}

// Whether a blank-separated list ("alternate preload") holds a token, in any letter case.
bool HasToken(std::string_view list, std::string_view token) {
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t end = std::min(list.find_first_of(" \t\n\f\r", at), list.size());
    if (base::EqualsIgnoringCase(list.substr(at, end - at), token))
      return true;
    at = end + 1;
  }
  return false;
}

// The address of a refresh's content ("0; URL='/next'", "5;url=/next"); empty for a refresh of
// the page itself.
std::string RefreshTarget(std::string_view content) {
  const std::size_t separator = content.find_first_of(";,");
  if (separator == std::string_view::npos)
    return {};
  std::string_view rest = base::TrimBlanks(content.substr(separator + 1));
  if (base::StartsWithIgnoringCase(rest, "url")) {
    const std::string_view after = base::TrimBlanks(rest.substr(3));
    if (after.starts_with('='))
      rest = base::TrimBlanks(after.substr(1));
  }
  if (!rest.empty() && (rest.front() == '\'' || rest.front() == '"')) {
    const std::size_t close = rest.find(rest.front(), 1);
    rest = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  }
  return std::string(rest);
}

// Whether a reference is on a video host; pages embed players by
// scheme-relative references ("//www.youtube.com/embed/...") too.
bool OnVideoHost(const std::string &reference) {
  return !VideoHostOf(reference.starts_with("//") ? "http:" + reference : reference).empty();
}

// The picture height a source declares by its attributes, else by its name.
long SourceQuality(const GumboElement &element, std::string_view reference) {
  for (const char *name : {"size", "res", "label", "data-quality", "data-res", "data-height"})
    if (const long height = QualityOfLabel(Attribute(element, name)))
      return height;
  return QualityInAddress(reference);
}

// The address of a source that loads lazily names it in data-src.
std::string SourceAddress(const GumboElement &element) {
  std::string source = Attribute(element, "src");
  return source.empty() ? Attribute(element, "data-src") : source;
}

// The file= or video= (or src=, url=) value of Flash variables.
std::string FlashVariable(std::string_view variables) {
  std::size_t at = 0;
  while (at < variables.size()) {
    const std::size_t end = std::min(variables.find('&', at), variables.size());
    const std::string_view pair = variables.substr(at, end - at);
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos) {
      const std::string key = base::LowerAscii(pair.substr(0, equals));
      if (key == "file" || key == "video" || key == "src" || key == "url" || key == "flv") {
        const std::string value = net::UnescapeURL(std::string(pair.substr(equals + 1)));
        if (NamesVideoFile(value) || NamesStreamingPlaylist(value))
          return value;
      }
    }
    at = end + 1;
  }
  return {};
}

class Gathering {
public:
  explicit Gathering(PageMarkup &markup) : markup_(markup) {}

  void Node(const GumboNode &node, Context context) {
    if ((node.type != GUMBO_NODE_ELEMENT && node.type != GUMBO_NODE_TEMPLATE) ||
        ++context.depth > kDeepestWalk)
      return;
    const GumboElement &element = node.v.element;
    const std::string name = TagName(element);
    if (element.tag == GUMBO_TAG_ASIDE || element.tag == GUMBO_TAG_A ||
        NamesAdvertisement(Attribute(element, "class") + " " + Attribute(element, "id")))
      context.aside = true;
    if (const PlayerKind kind = PlayerKindOf(element, name); kind != PlayerKind::None)
      context.video = Video(element, name, kind, context);
    context.controller = context.controller || name == "media-controller";
    Element(node, element, context);
    DataAttributes(element, name, context);
    Microdata(element);
    const GumboVector &children = element.children;
    for (unsigned i = 0; i < children.length; ++i)
      Node(*static_cast<const GumboNode *>(children.data[i]), context);
  }

private:
  int Video(const GumboElement &element, std::string_view name, PlayerKind kind,
            const Context &context) {
    PageVideoElement video;
    // A player, or the media of a controller, has the controls they draw.
    video.controls = HasAttribute(element, "controls") || kind == PlayerKind::Player ||
                     (context.controller && Attribute(element, "slot") == "media");
    video.background =
        !video.controls && (HasAttribute(element, "muted") || HasAttribute(element, "loop") ||
                            HasAttribute(element, "autoplay"));
    video.aside = context.aside;
    markup_.videos.push_back(std::move(video));
    const int index = static_cast<int>(markup_.videos.size()) - 1;
    const std::string source = SourceAddress(element);
    // The element says it is a video, and its name may say of which protocol.
    VideoProtocol protocol = name.starts_with("hls-")    ? VideoProtocol::Hls
                             : name.starts_with("dash-") ? VideoProtocol::Dash
                                                         : VideoProtocol::File;
    const bool named = element.tag == GUMBO_TAG_VIDEO || protocol != VideoProtocol::File;
    if (OnVideoHost(source))
      markup_.videos.back().hosted.push_back(source);
    else if (!source.empty() &&
             (ProtocolOfSource(Attribute(element, "type"), source, protocol) || named))
      markup_.videos.back().sources.push_back({source, protocol, SourceQuality(element, source)});
    // Video.js names its sources in JSON.
    if (const std::string setup = Attribute(element, "data-setup"); !setup.empty()) {
      for (ScriptVideo &found : FindScriptVideos(setup))
        if (ProtocolOfSource("", found.address, protocol))
          markup_.videos.back().sources.push_back(
              {std::move(found.address), protocol, found.quality});
      if (std::string hosted = FindHostedAddress(setup); !hosted.empty())
        markup_.videos.back().hosted.push_back(std::move(hosted));
    }
    return index;
  }

  void Element(const GumboNode &node, const GumboElement &element, const Context &context) {
    switch (element.tag) {
    case GUMBO_TAG_BASE:
      if (markup_.base.empty())
        markup_.base = Attribute(element, "href");
      break;
    case GUMBO_TAG_TITLE:
      if (markup_.title.empty())
        markup_.title = base::CollapseBlanks(TextOf(node));
      break;
    case GUMBO_TAG_META:
      Meta(element);
      break;
    case GUMBO_TAG_SOURCE:
      Source(element, context);
      break;
    case GUMBO_TAG_SCRIPT: {
      const std::string text = TextOf(node);
      if (base::EqualsIgnoringCase(Attribute(element, "type"), "application/ld+json"))
        ReadStructuredData(text, markup_.structured);
      if (!context.aside)
        AddPlayers(text, markup_.players);
      break;
    }
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_PARAM:
      if (!context.aside)
        Flash(element);
      break;
    case GUMBO_TAG_IFRAME:
      if (const std::string source = SourceAddress(element); !source.empty() && !context.aside)
        (OnVideoHost(source) ? markup_.hosted : markup_.frames).push_back(source);
      break;
    case GUMBO_TAG_A:
      if (const std::string href = Attribute(element, "href"); NamesVideoFile(href)) {
        markup_.links.push_back(href);
        const std::string said =
            Attribute(element, "class") + " " + Attribute(element, "id") + " " + TextOf(node);
        if (HasAttribute(element, "download") ||
            base::FindIgnoringCase(said, "download") != std::string_view::npos)
          markup_.downloads.push_back(href);
      }
      break;
    case GUMBO_TAG_LINK: // a video the page has the browser fetch early: the one it plays
      if (VideoProtocol protocol = VideoProtocol::File;
          HasToken(Attribute(element, "rel"), "preload") &&
          base::EqualsIgnoringCase(Attribute(element, "as"), "video") &&
          ProtocolOfSource(Attribute(element, "type"), Attribute(element, "href"), protocol))
        markup_.players.push_back(
            {Attribute(element, "href"), protocol, QualityInAddress(Attribute(element, "href"))});
      break;
    default:
      break;
    }
  }

  void Meta(const GumboElement &element) {
    const std::string key =
        base::LowerAscii(Attribute(element, "property") + Attribute(element, "name"));
    const std::string content = Attribute(element, "content");
    if (key == "og:video:secure_url" || key == "og:video:url" || key == "og:video") {
      // Each of the three once, in the order they are trusted.
      const std::size_t rank = key == "og:video:secure_url" ? 0 : key == "og:video:url" ? 1 : 2;
      ogSeen_.resize(3);
      if (!ogSeen_[rank].empty())
        return;
      ogSeen_[rank] = content;
      markup_.ogVideos.clear();
      for (const std::string &seen : ogSeen_)
        if (!seen.empty())
          markup_.ogVideos.push_back(seen);
    } else if (key == "og:video:type" && markup_.ogVideoType.empty()) {
      markup_.ogVideoType = content;
    } else if (key == "twitter:player:stream" && markup_.twitterStream.empty()) {
      markup_.twitterStream = content;
    } else if (key == "twitter:player:stream:content_type" && markup_.twitterStreamType.empty()) {
      markup_.twitterStreamType = content;
    } else if (key == "og:title" && markup_.ogTitle.empty()) {
      markup_.ogTitle = base::CollapseBlanks(content);
    } else if (base::EqualsIgnoringCase(Attribute(element, "http-equiv"), "refresh") &&
               markup_.refresh.empty()) {
      markup_.refresh = RefreshTarget(content);
    }
  }

  void Source(const GumboElement &element, const Context &context) {
    const std::string source = SourceAddress(element);
    if (source.empty())
      return;
    std::size_t index = static_cast<std::size_t>(context.video);
    if (context.video < 0) { // a source out of any player: a video of its own
      markup_.videos.emplace_back().aside = context.aside;
      index = markup_.videos.size() - 1;
    }
    VideoProtocol protocol = VideoProtocol::File;
    if (ProtocolOfSource(Attribute(element, "type"), source, protocol))
      markup_.videos[index].sources.push_back({source, protocol, SourceQuality(element, source)});
    else if (OnVideoHost(source))
      markup_.videos[index].hosted.push_back(source);
  }

  // A player's address in any data-* attribute, or its configuration in JSON; on a <video> or
  // its <source> (their src and data-src aside, which are read as theirs) a source of that video.
  void DataAttributes(const GumboElement &element, std::string_view tag, const Context &context) {
    // A custom element (an island of a page's framework) may hold its props in any attribute.
    const bool custom = tag.find('-') != std::string_view::npos;
    if (context.aside)
      return;
    std::vector<VideoSource> &into =
        context.video >= 0 ? markup_.videos[static_cast<std::size_t>(context.video)].sources
                           : markup_.players;
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto *attribute = static_cast<const GumboAttribute *>(element.attributes.data[i]);
      const std::string_view name = attribute->name;
      const std::string_view value = attribute->value;
      if (value.empty() ||
          (!name.starts_with("data-") &&
           !(custom && (value.front() == '{' || value.front() == '['))) ||
          (context.video >= 0 && (name == "data-src" || name == "data-setup")))
        continue;
      // A <source>'s type holds for its lazy addresses too, not for its poster.
      const std::string type =
          context.video >= 0 && (name.ends_with("src") || name.ends_with("url"))
              ? Attribute(element, "type")
              : std::string();
      VideoProtocol protocol = VideoProtocol::File;
      if (value.front() == '{' || value.front() == '[')
        AddPlayers(value, into);
      else if (ProtocolOfSource(type, value, protocol))
        into.push_back({std::string(value), protocol, SourceQuality(element, value)});
    }
  }

  void AddPlayers(std::string_view script, std::vector<VideoSource> &into) {
    VideoProtocol protocol = VideoProtocol::File;
    for (ScriptVideo &found : FindScriptVideos(script))
      if (ProtocolOfSource("", found.address, protocol))
        into.push_back({std::move(found.address), protocol, found.quality});
  }

  void Microdata(const GumboElement &element) {
    const std::string property = base::LowerAscii(Attribute(element, "itemprop"));
    if (property.empty())
      return;
    std::string value = Attribute(element, "content");
    for (const char *name : {"href", "src"})
      if (value.empty())
        value = Attribute(element, name);
    if (value.empty())
      return;
    if (property.find("contenturl") != std::string::npos)
      markup_.structured.contentUrls.push_back(value);
    else if (property.find("embedurl") != std::string::npos)
      markup_.structured.embedUrls.push_back(value);
  }

  // Flash and plug-in players: the file is their source, or a variable of it.
  void Flash(const GumboElement &element) {
    std::string source;
    std::string variables = Attribute(element, "flashvars");
    if (element.tag == GUMBO_TAG_PARAM) {
      const std::string name = base::LowerAscii(Attribute(element, "name"));
      const std::string value = Attribute(element, "value");
      if (name == "flashvars")
        variables = value;
      else if (name == "movie" || name == "src" || name == "filename" || name == "url")
        source = value;
    } else {
      source = Attribute(element, element.tag == GUMBO_TAG_OBJECT ? "data" : "src");
    }
    if (OnVideoHost(source)) {
      markup_.hosted.push_back(source);
      return;
    }
    const std::size_t query = source.find('?');
    if (variables.empty() && query != std::string::npos)
      variables = source.substr(query + 1); // player.swf?file=...
    VideoProtocol protocol = VideoProtocol::File;
    for (const std::string &candidate : {source, FlashVariable(variables)})
      if (ProtocolOfSource("", candidate, protocol))
        markup_.flash.push_back({candidate, protocol, QualityInAddress(candidate)});
  }

  PageMarkup &markup_;
  std::vector<std::string> ogSeen_;
};

} // namespace

bool ProtocolOfSource(std::string_view type, std::string_view reference, VideoProtocol &protocol) {
  const std::string lower = base::LowerAscii(type.substr(0, type.find(';')));
  if (lower.find("mpegurl") != std::string::npos) {
    protocol = VideoProtocol::Hls;
    return true;
  }
  if (lower.find("dash+xml") != std::string::npos) {
    protocol = VideoProtocol::Dash;
    return true;
  }
  // Media types of video files; video/youtube, video/vimeo and their kind are
  // players' hints, not files.
  static constexpr std::array<std::string_view, 14> kFileTypes{
      "video/mp4",        "video/webm",  "video/ogg",       "video/quicktime", "video/x-flv",
      "video/x-matroska", "video/3gpp",  "video/mpeg",      "video/x-msvideo", "video/x-ms-wmv",
      "video/mp2t",       "video/x-m4v", "application/mp4", "video/avi"};
  if (std::find(kFileTypes.begin(), kFileTypes.end(), base::TrimBlanks(lower)) !=
      kFileTypes.end()) {
    protocol = VideoProtocol::File;
    return true;
  }
  if (!base::TrimBlanks(lower).empty())
    return false;
  if (NamesStreamingPlaylist(reference)) {
    protocol = base::EqualsIgnoringCase(FileExtension(reference), ".mpd") ? VideoProtocol::Dash
                                                                          : VideoProtocol::Hls;
    return true;
  }
  protocol = VideoProtocol::File;
  return NamesVideoFile(reference);
}

void GatherMarkup(const GumboNode &root, PageMarkup &markup) {
  Gathering(markup).Node(root, {});
}

} // namespace vidtrawl::pagesearch
