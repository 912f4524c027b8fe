#include "list/AddressesInText.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"

#include <algorithm>
#include <cctype>

namespace vidtrawl::list {
namespace {

// What ends an address in running text: blanks, control characters, quotes and angle brackets
// (an address written in markup or in quotes).
bool EndsAddress(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= ' ' || byte == 127 || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
}

// Where an http or https address starts at or after `from`; npos when none does. A scheme glued
// to a word before it ("xhttp://") starts none.
std::size_t NextAddress(std::string_view text, std::size_t from) {
  for (std::size_t at = base::FindIgnoringCase(text, "http", from); at != std::string_view::npos;
       at = base::FindIgnoringCase(text, "http", at + 1)) {
    const std::string_view rest = text.substr(at);
    const bool scheme = base::StartsWithIgnoringCase(rest, "http://") ||
                        base::StartsWithIgnoringCase(rest, "https://");
    if (scheme && (at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1]))))
      return at;
  }
  return std::string_view::npos;
}

// The address without what closes the sentence or the brackets around it: a closing bracket
// stays when the address opened one.
std::string_view WithoutTrailingPunctuation(std::string_view address) {
  while (!address.empty()) {
    const char last = address.back();
    const auto opened = [&](char open) {
      return std::count(address.begin(), address.end(), open) >=
             std::count(address.begin(), address.end(), last);
    };
    const bool closing = (last == ')' && !opened('(')) || (last == ']' && !opened('[')) ||
                         (last == '}' && !opened('{'));
    if (!closing && std::string_view(".,;:!?").find(last) == std::string_view::npos)
      break;
    address.remove_suffix(1);
  }
  return address;
}

} // namespace

std::vector<std::string> AddressesInText(std::string_view text) {
  std::vector<std::string> addresses;
  for (std::size_t at = NextAddress(text, 0); at != std::string_view::npos;) {
    std::size_t end = at;
    while (end < text.size() && !EndsAddress(text[end]))
      ++end;
    const std::string_view address = WithoutTrailingPunctuation(text.substr(at, end - at));
    if (address.find("://") + 3 < address.size())
      addresses.emplace_back(address);
    at = NextAddress(text, end);
  }
  if (!addresses.empty())
    return addresses;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    if (const std::string_view line = base::TrimBlanks(text.substr(start, end - start));
        !line.empty())
      addresses.emplace_back(line);
    start = end + 1;
  }
  return addresses;
}

} // namespace vidtrawl::list
