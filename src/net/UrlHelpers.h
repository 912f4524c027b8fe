#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::net {

// Decodes every "%" followed by two hexadecimal digits into the byte of that
// value, in the whole text (query and fragment included); everything else,
// "+" and a "%" without two hex digits after it included, stays as it is.
// A decoded text of more than 1,023 characters cannot be held and gives
// empty text, as does empty input.
std::string UnescapeURL(const std::string &text);

// On entry hostInOut holds a whole address. A leading "http://" (any letter
// case) is removed; no other scheme is. When a "/" follows, hostInOut keeps
// the text before it (the host, with its port if any) and pathOut receives
// the rest, the "/" included. Otherwise hostInOut keeps the whole remainder
// and pathOut is left unchanged.
void SplitURL(std::string &hostInOut, std::string &pathOut);

// The text with "https://" before it when it has no scheme and starts with a host name (with
// a dot, or "localhost"), a port allowed, up to its first "/", "?" or "#"; else as it is.
std::string WithHttpsScheme(std::string_view text);

} // namespace vidtrawl::net
