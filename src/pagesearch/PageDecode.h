#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::pagesearch {

// A fetched page's bytes as UTF-8 text, decoded as browsers decide its
// encoding: a byte-order mark, else the charset of its Content-Type header
// value (may be empty), else a <meta charset> or <meta http-equiv> in its
// first 1,024 bytes, else UTF-8 when the bytes are valid UTF-8, else
// windows-1252 (what ISO-8859-1 and ASCII labels mean on the web too).
// An encoding glibc's iconv does not know is passed over for the next
// source; bytes that are no character of the encoding become U+FFFD.
std::string DecodePage(std::string_view bytes, std::string_view contentType = {});

} // namespace vidtrawl::pagesearch
