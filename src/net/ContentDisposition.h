#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::net {

// The file name a Content-Disposition header value offers, as UTF-8 or as
// the bytes the server sent: `filename*` (charset UTF-8 or ISO-8859-1,
// percent-encoded) wins over `filename`, whose value is a quoted string
// (backslash escapes undone) or a bare value up to the next ";" without the
// blanks around it. Other parameters are not part of the name. Empty when
// the value names no file. Never throws on any input.
std::string FileNameOfContentDisposition(std::string_view value);

} // namespace vidtrawl::net
