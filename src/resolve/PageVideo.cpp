#include "resolve/PageVideo.h"

#include "base/AsciiCase.h"
#include "net/WebAddress.h"
#include "resolve/BoundedMarkup.h"
#include "resolve/VideoFiles.h"

#include <gumbo.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <memory>
#include <optional>
#include <vector>

namespace vidtrawl::resolve {
namespace {

using Json = nlohmann::json;

// What the page says, gathered in one walk of its tree.
struct Markup {
  std::string base;
  std::string title;
  std::string ogTitle;
  // <video src> and <source src> of a video type, with their declared resolutions.
  std::vector<std::pair<std::string, long>> sources;
  std::vector<std::string> playlists; // sources that are streaming playlists
  std::string ogVideoSecure, ogVideoUrl, ogVideo, twitterStream;
  std::vector<std::string> jsonLd; // the texts of ld+json scripts
  std::vector<std::string> links;  // <a href> to video files
};

std::string Attribute(const GumboElement &element, const char *name) {
  const GumboAttribute *attribute = gumbo_get_attribute(&element.attributes, name);
  return attribute != nullptr && attribute->value != nullptr ? attribute->value : "";
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

std::string CollapseBlanks(std::string_view text) {
  std::string out;
  bool blank = false;
  for (const char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      blank = !out.empty();
      continue;
    }
    if (blank)
      out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

// The resolution a source declares (size="720", res="1080", label="480p",
// height="360", ...); 0 when it declares none.
long DeclaredResolution(const GumboElement &element) {
  for (const char *name :
       {"size", "res", "data-res", "data-quality", "data-height", "height", "label", "title"}) {
    const std::string value = Attribute(element, name);
    std::size_t digits = 0;
    while (digits < value.size() && std::isdigit(static_cast<unsigned char>(value[digits])))
      ++digits;
    if (digits > 0 && digits < 7)
      return std::stol(value.substr(0, digits));
  }
  return 0;
}

bool IsPlaylistType(const std::string &type) {
  const std::string lower = base::LowerAscii(type);
  return lower.find("mpegurl") != std::string::npos || lower.find("dash+xml") != std::string::npos;
}

void Gather(const GumboNode &node, Markup &markup) {
  if (node.type != GUMBO_NODE_ELEMENT && node.type != GUMBO_NODE_TEMPLATE)
    return;
  const GumboElement &element = node.v.element;
  switch (element.tag) {
  case GUMBO_TAG_BASE:
    if (markup.base.empty())
      markup.base = Attribute(element, "href");
    break;
  case GUMBO_TAG_TITLE:
    if (markup.title.empty())
      markup.title = CollapseBlanks(TextOf(node));
    break;
  case GUMBO_TAG_META: {
    const std::string key =
        base::LowerAscii(Attribute(element, "property") + Attribute(element, "name"));
    const std::string content = Attribute(element, "content");
    std::string *slot = key == "og:video:secure_url"     ? &markup.ogVideoSecure
                        : key == "og:video:url"          ? &markup.ogVideoUrl
                        : key == "og:video"              ? &markup.ogVideo
                        : key == "twitter:player:stream" ? &markup.twitterStream
                        : key == "og:title"              ? &markup.ogTitle
                                                         : nullptr;
    if (slot != nullptr && slot->empty())
      *slot = key == "og:title" ? CollapseBlanks(content) : content;
    break;
  }
  case GUMBO_TAG_VIDEO:
  case GUMBO_TAG_SOURCE: {
    const std::string source = Attribute(element, "src");
    const std::string type = Attribute(element, "type");
    if (source.empty())
      break;
    if (IsPlaylistType(type) || NamesStreamingPlaylist(source))
      markup.playlists.push_back(source);
    else if (base::StartsWithIgnoringCase(type, "video/") ||
             (type.empty() && NamesVideoFile(source)) ||
             (type.empty() && element.tag == GUMBO_TAG_VIDEO))
      markup.sources.emplace_back(source, DeclaredResolution(element));
    break;
  }
  case GUMBO_TAG_SCRIPT:
    if (base::EqualsIgnoringCase(Attribute(element, "type"), "application/ld+json"))
      markup.jsonLd.push_back(TextOf(node));
    break;
  case GUMBO_TAG_A: {
    const std::string href = Attribute(element, "href");
    if (NamesVideoFile(href))
      markup.links.push_back(href);
    break;
  }
  default:
    break;
  }
  const GumboVector &children = element.children;
  for (unsigned i = 0; i < children.length; ++i)
    Gather(*static_cast<const GumboNode *>(children.data[i]), markup);
}

// The contentUrl of the first VideoObject in a JSON-LD value, at any depth
// (inside @graph and arrays too).
std::string ContentUrl(const Json &value, int depth = 0) {
  if (depth > 16)
    return {};
  if (value.is_array()) {
    for (const Json &element : value)
      if (std::string found = ContentUrl(element, depth + 1); !found.empty())
        return found;
    return {};
  }
  if (!value.is_object())
    return {};
  const auto type = value.find("@type");
  const bool video = type != value.end() &&
                     ((type->is_string() && type->get<std::string>() == "VideoObject") ||
                      (type->is_array() &&
                       std::find(type->begin(), type->end(), Json("VideoObject")) != type->end()));
  if (video) {
    const auto url = value.find("contentUrl");
    if (url != value.end() && url->is_string())
      return url->get<std::string>();
  }
  for (const auto &[key, member] : value.items())
    if (std::string found = ContentUrl(member, depth + 1); !found.empty())
      return found;
  return {};
}

} // namespace

PageVideo FindPageVideo(std::string_view html, std::string_view pageAddress) {
  PageVideo found;
  // No parse errors are kept: the parser copies its whole stack of open
  // elements into each one.
  static const GumboOptions options = [] {
    GumboOptions quiet = kGumboDefaultOptions;
    quiet.max_errors = 0;
    return quiet;
  }();
  const std::string bounded = BoundMarkup(html);
  const std::unique_ptr<GumboOutput, void (*)(GumboOutput *)> tree(
      gumbo_parse_with_options(&options, bounded.data(), bounded.size()),
      [](GumboOutput *output) { gumbo_destroy_output(&options, output); });
  if (!tree)
    return found;
  Markup markup;
  Gather(*tree->root, markup);
  found.title = !markup.ogTitle.empty() ? markup.ogTitle : markup.title;

  const std::string base =
      net::ResolveWebAddress(pageAddress, markup.base).value_or(std::string(pageAddress));
  const auto resolve = [&](const std::string &reference) {
    return net::ResolveWebAddress(base, CollapseBlanks(reference));
  };
  // The candidates in their order; the first that resolves wins.
  std::vector<std::string> candidates;
  std::pair<std::string, long> best{"", -1};
  for (const auto &source : markup.sources)
    if (source.second > best.second)
      best = source;
  if (best.second >= 0)
    candidates.push_back(best.first);
  for (const std::string *tag : {&markup.ogVideoSecure, &markup.ogVideoUrl, &markup.ogVideo})
    if (NamesVideoFile(*tag))
      candidates.push_back(*tag);
  candidates.push_back(markup.twitterStream);
  for (const std::string &text : markup.jsonLd) {
    const Json value = Json::parse(text, nullptr, false);
    if (!value.is_discarded())
      candidates.push_back(ContentUrl(value));
  }
  candidates.insert(candidates.end(), markup.links.begin(), markup.links.end());
  for (const std::string &candidate : candidates)
    if (const std::optional<std::string> address = resolve(candidate)) {
      found.address = *address;
      return found;
    }
  // Nothing but a streaming playlist (as a source or an Open Graph tag).
  for (const std::string *tag : {&markup.ogVideoSecure, &markup.ogVideoUrl, &markup.ogVideo})
    if (NamesStreamingPlaylist(*tag))
      markup.playlists.push_back(*tag);
  for (const std::string &playlist : markup.playlists)
    if (const std::optional<std::string> address = resolve(playlist)) {
      found.address = *address;
      break;
    }
  return found;
}

} // namespace vidtrawl::resolve
