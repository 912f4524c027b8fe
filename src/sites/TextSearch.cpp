#include "sites/TextSearch.h"

#include "base/AsciiCase.h"

#include <algorithm>

namespace vidtrawl::sites {
namespace {

bool EqualNoCase(char a, char b) {
  return base::LowerAscii(a) == base::LowerAscii(b);
}

Pos Length(std::string_view text) {
  return static_cast<Pos>(text.size());
}

} // namespace

std::optional<Pos> FindFrom(std::string_view text, std::string_view what, Pos start) {
  if (what.empty() || start < 1 || start > Length(text))
    return std::nullopt;
  const std::size_t found = base::FindIgnoringCase(text, what, static_cast<std::size_t>(start - 1));
  if (found == std::string_view::npos)
    return std::nullopt;
  return static_cast<Pos>(found) + 1;
}

std::optional<Pos> FindBackward(std::string_view text, std::string_view what, Pos within) {
  if (what.empty() || within < 1)
    return std::nullopt;
  const std::string_view head =
      text.substr(0, static_cast<std::size_t>(std::min(within, Length(text))));
  const auto found = std::find_end(head.begin(), head.end(), what.begin(), what.end(), EqualNoCase);
  if (found == head.end())
    return std::nullopt;
  return static_cast<Pos>(found - head.begin()) + 1;
}

std::optional<std::string> Mid(std::string_view text, Pos start, Pos length) {
  if (start < 1 || length < 0)
    return std::nullopt;
  if (start > Length(text))
    return std::string();
  const auto offset = static_cast<std::size_t>(start - 1);
  return std::string(text.substr(offset, static_cast<std::size_t>(length)));
}

std::optional<std::string> MidToEnd(std::string_view text, Pos start) {
  if (start < 1)
    return std::nullopt;
  if (start > Length(text))
    return std::string();
  return std::string(text.substr(static_cast<std::size_t>(start - 1)));
}

bool ContainsNoCase(std::string_view text, std::string_view what) {
  return base::FindIgnoringCase(text, what) != std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty())
    return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, from)) {
    out.append(text, from, at - from);
    out.append(with);
    from = at + what.size();
  }
  out.append(text, from);
  return out;
}

} // namespace vidtrawl::sites
