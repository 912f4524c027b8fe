#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::sites {

// A 1-based character position. Signed, so that offsets computed from
// positions may fall below 1 and are then refused rather than wrapped.
using Pos = std::int64_t;

// Position of the first occurrence of what whose first character is at
// start or later, ignoring ASCII letter case. Nothing when there is none,
// when start lies beyond the text, when start is below 1 (impossible), or
// when what is empty.
std::optional<Pos> FindFrom(std::string_view text, std::string_view what, Pos start);

// Position of the last occurrence of what that lies wholly within the first
// `within` characters (the whole text when within exceeds it), ignoring
// ASCII letter case. Nothing when there is none, within is below 1 or what
// is empty.
std::optional<Pos> FindBackward(std::string_view text, std::string_view what, Pos within);

// The text from position start, length characters long (fewer at the end of
// the text; empty when start lies beyond it). Nothing when start is below 1
// or length is negative (impossible).
std::optional<std::string> Mid(std::string_view text, Pos start, Pos length);

// The text from position start to the end, under the same rules.
std::optional<std::string> MidToEnd(std::string_view text, Pos start);

// True when what occurs anywhere in text, ignoring ASCII letter case.
bool ContainsNoCase(std::string_view text, std::string_view what);

// Every occurrence of what (exact case) replaced by with, left to right.
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);

} // namespace vidtrawl::sites
