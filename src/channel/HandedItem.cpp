#include "channel/HandedItem.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace vidtrawl::channel {
namespace {

using nlohmann::json;

// The list takes no longer address.
constexpr std::size_t kMaxAddress = 8192;
constexpr std::size_t kMaxTitle = 2048;
constexpr std::size_t kMaxHeaderText = 4096;

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(),
                                                    [](char a, char b) { return a == (b | 0x20); });
}

// An http or https address with a host, and no blank or control character in
// it (as a browser writes one): nothing else may become a request.
bool IsWebAddress(std::string_view text) {
  std::string_view rest;
  if (StartsWithNoCase(text, "http://"))
    rest = text.substr(7);
  else if (StartsWithNoCase(text, "https://"))
    rest = text.substr(8);
  else
    return false;
  return !rest.empty() && rest.find_first_of("/?#") != 0 && !HasControlCharacter(text) &&
         text.find(' ') == std::string_view::npos;
}

// The fields of one JSON object, each read into its place: the problem, empty when none.
class Fields {
public:
  explicit Fields(const json &object) : object_(object) {}

  std::string Unknown(std::initializer_list<std::string_view> known) const {
    for (const auto &[key, value] : object_.items())
      if (std::find(known.begin(), known.end(), key) == known.end())
        return "unknown field \"" + key + "\"";
    return {};
  }
  // A text field: `rule` is "address", "header" (no control character) or "title".
  std::string Text(const char *name, std::string &into, std::string_view rule) const {
    const auto found = object_.find(name);
    if (found == object_.end())
      return {};
    if (!found->is_string())
      return std::string(name) + " is not a text";
    into = found->get<std::string>();
    const std::size_t limit = rule == "address" ? kMaxAddress
                              : rule == "title" ? kMaxTitle
                                                : kMaxHeaderText;
    if (into.size() > limit)
      return std::string(name) + " is longer than " + std::to_string(limit) + " bytes";
    if (rule == "address" && !IsWebAddress(into))
      return std::string(name) + " is not an http or https address";
    if (rule == "header" && HasControlCharacter(into))
      return std::string(name) + " holds a control character";
    return {};
  }
  std::string Flag(const char *name, bool &into) const {
    const auto found = object_.find(name);
    if (found == object_.end())
      return {};
    if (!found->is_boolean())
      return std::string(name) + " is not true or false";
    into = found->get<bool>();
    return {};
  }
  std::string Seconds(const char *name, std::optional<std::int64_t> &into) const {
    const auto found = object_.find(name);
    if (found == object_.end())
      return {};
    constexpr double kMost = 1e15;
    if (!found->is_number() || !(found->get<double>() >= 0 && found->get<double>() < kMost))
      return std::string(name) + " is not a time";
    into = static_cast<std::int64_t>(found->get<double>());
    return {};
  }

private:
  const json &object_;
};

std::string ReadCookie(const json &object, BrowserCookie &cookie) {
  if (!object.is_object())
    return "a cookie is not an object";
  const Fields fields(object);
  for (std::string problem :
       {fields.Unknown({"name", "value", "domain", "path", "secure", "hostOnly", "expires"}),
        fields.Text("name", cookie.name, "header"), fields.Text("value", cookie.value, "header"),
        fields.Text("domain", cookie.domain, "header"), fields.Text("path", cookie.path, "header"),
        fields.Flag("secure", cookie.secure), fields.Flag("hostOnly", cookie.hostOnly),
        fields.Seconds("expires", cookie.expires)})
    if (!problem.empty())
      return "cookie: " + problem;
  // Each would end the cookie early in a request, or make it another host's.
  if (cookie.domain.empty() || cookie.path.empty() || cookie.path[0] != '/')
    return "cookie: no domain or path";
  if ((cookie.name + cookie.domain).find_first_of("; ") != std::string::npos ||
      cookie.value.find(';') != std::string::npos)
    return "cookie: a name, value or domain holds ';' (or a name or domain a blank)";
  return {};
}

ItemReading ReadItemObject(const json &object) {
  if (!object.is_object())
    return {std::nullopt, "the item is not a JSON object"};
  HandedItem item;
  const Fields fields(object);
  for (std::string problem :
       {fields.Unknown({"address", "page", "title", "referer", "userAgent", "cookies"}),
        fields.Text("address", item.address, "address"), fields.Text("page", item.page, "address"),
        fields.Text("title", item.title, "title"), fields.Text("referer", item.referer, "address"),
        fields.Text("userAgent", item.userAgent, "header")})
    if (!problem.empty())
      return {std::nullopt, problem};
  if (item.address.empty() && item.page.empty())
    return {std::nullopt, "no address"};
  if (const auto cookies = object.find("cookies"); cookies != object.end()) {
    if (!cookies->is_array() || cookies->size() > kMaxCookies)
      return {std::nullopt, "cookies are not a list of at most " + std::to_string(kMaxCookies)};
    for (const json &entry : *cookies) {
      BrowserCookie cookie;
      if (std::string problem = ReadCookie(entry, cookie); !problem.empty())
        return {std::nullopt, problem};
      item.cookies.push_back(std::move(cookie));
    }
  }
  return {std::move(item), {}};
}

json ObjectOf(const HandedItem &item) {
  json object = json::object();
  for (const auto &[name, value] :
       {std::pair<const char *, const std::string &>{"address", item.address},
        {"page", item.page},
        {"title", item.title},
        {"referer", item.referer},
        {"userAgent", item.userAgent}})
    if (!value.empty())
      object[name] = value;
  if (!item.cookies.empty()) {
    json cookies = json::array();
    for (const BrowserCookie &cookie : item.cookies) {
      json entry = {{"name", cookie.name},     {"value", cookie.value},
                    {"domain", cookie.domain}, {"path", cookie.path},
                    {"secure", cookie.secure}, {"hostOnly", cookie.hostOnly}};
      if (cookie.expires)
        entry["expires"] = *cookie.expires;
      cookies.push_back(std::move(entry));
    }
    object["cookies"] = std::move(cookies);
  }
  return object;
}

json Parse(std::string_view text) {
  return json::parse(text.begin(), text.end(), nullptr, false);
}

} // namespace

ItemReading ReadItem(std::string_view text) {
  const json object = Parse(text);
  if (object.is_discarded())
    return {std::nullopt, "the message is not JSON"};
  return ReadItemObject(object);
}

std::string ItemJson(const HandedItem &item) {
  return ObjectOf(item).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string ItemsJson(const std::vector<HandedItem> &items) {
  json list = json::array();
  for (const HandedItem &item : items)
    list.push_back(ObjectOf(item));
  return list.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<std::vector<HandedItem>> ReadItems(std::string_view text) {
  const json list = Parse(text);
  if (!list.is_array())
    return std::nullopt;
  std::vector<HandedItem> items;
  for (const json &object : list) {
    ItemReading reading = ReadItemObject(object);
    if (!reading.item)
      return std::nullopt;
    items.push_back(std::move(*reading.item));
  }
  return items;
}

std::string CookieLine(const BrowserCookie &cookie) {
  const bool domainWide = !cookie.hostOnly;
  const std::string dot = domainWide && !cookie.domain.starts_with('.') ? "." : "";
  return dot + cookie.domain + (domainWide ? "\tTRUE\t" : "\tFALSE\t") + cookie.path + "\t" +
         (cookie.secure ? "TRUE" : "FALSE") + "\t" + std::to_string(cookie.expires.value_or(0)) +
         "\t" + cookie.name + "\t" + cookie.value;
}

} // namespace vidtrawl::channel
