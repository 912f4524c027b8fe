#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::channel {

// A cookie the browser holds for the address of an item, as its cookie store
// gives it (what curl's cookie engine takes, line by line).
struct BrowserCookie {
  std::string name;
  std::string value;
  std::string domain;
  std::string path = "/";
  bool secure = false;
  bool hostOnly = false;
  std::optional<std::int64_t> expires; // seconds since 1970; none: for the session
  bool operator==(const BrowserCookie &) const = default;
};

// The cookie as a line of a Netscape cookies file (a host-only cookie for its host alone).
std::string CookieLine(const BrowserCookie &cookie);

// One item a browser hands over: the address the user chose (a video, a
// playlist or a link) when there is one, the page it was chosen on, the
// page's title (the name of a chosen video's file), and how the browser
// asked for it. Every address is http or https.
struct HandedItem {
  std::string address;
  std::string page;
  std::string title;
  std::string referer;
  std::string userAgent;
  std::vector<BrowserCookie> cookies;
  bool operator==(const HandedItem &) const = default;

  // What is added to the list: the chosen address, else the page.
  const std::string &ListedAddress() const { return address.empty() ? page : address; }
};

// The most cookies one item carries (a browser keeps about 180 a site).
inline constexpr std::size_t kMaxCookies = 512;

// An item read from a JSON object of the fields "address", "page", "title",
// "referer", "userAgent" and "cookies" (objects of "name", "value", "domain",
// "path", "secure", "hostOnly", "expires"), each optional but one address:
// the item, or why it is refused (an unknown field, an address that is not
// http or https, a text too long or holding control characters).
struct ItemReading {
  std::optional<HandedItem> item;
  std::string problem;
};
ItemReading ReadItem(std::string_view json);
// The item as such an object.
std::string ItemJson(const HandedItem &item);

// Items as one JSON array, and back (nothing when any of them is refused).
std::string ItemsJson(const std::vector<HandedItem> &items);
std::optional<std::vector<HandedItem>> ReadItems(std::string_view json);

} // namespace vidtrawl::channel
