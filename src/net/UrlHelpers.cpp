#include "net/UrlHelpers.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <cstddef>

namespace vidtrawl::net {
namespace {

constexpr std::size_t kUnescapeCapacity = 1024; // the terminating NUL included

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

std::string UnescapeURL(const std::string &text) {
  if (text.empty())
    return {};
  std::string out;
  out.reserve(text.size() < kUnescapeCapacity ? text.size() : kUnescapeCapacity);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        c = static_cast<char>(high * 16 + low);
        i += 2;
      }
    }
    if (out.size() + 1 >= kUnescapeCapacity)
      return {}; // no room for this character and the terminator
    out.push_back(c);
  }
  return out;
}

void SplitURL(std::string &hostInOut, std::string &pathOut) {
  constexpr std::string_view kScheme = "http://";
  if (base::StartsWithIgnoringCase(hostInOut, kScheme))
    hostInOut.erase(0, kScheme.size());
  const std::size_t slash = hostInOut.find('/');
  if (slash == std::string::npos)
    return;
  pathOut = hostInOut.substr(slash);
  hostInOut.resize(slash);
}

std::string WithHttpsScheme(std::string_view text) {
  const std::string_view authority = text.substr(0, text.find_first_of("/?#"));
  const std::string_view host = authority.substr(0, authority.find(':'));
  const std::string_view port =
      host.size() < authority.size() ? authority.substr(host.size() + 1) : std::string_view();
  const auto hostByte = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-';
  };
  const bool named = !host.empty() && std::all_of(host.begin(), host.end(), hostByte) &&
                     host.front() != '-' && host.front() != '.' && host.back() != '.' &&
                     (host.find('.') != std::string_view::npos || host == "localhost");
  const bool ported =
      host.size() == authority.size() ||
      (!port.empty() && port.size() <= 5 &&
       std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }));
  return named && ported ? "https://" + std::string(text) : std::string(text);
}

} // namespace vidtrawl::net
