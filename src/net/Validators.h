#pragma once

#include "net/HeaderBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// What tells one version of a file from another, for joining a part of it
// to bytes received earlier (RFC 9110 8.8, 13.1.5): a strong ETag, else,
// when the answer has no entity tag at all, its Last-Modified date. A weak
// ETag is no such proof, and neither is a date beside it: nothing then.
std::string StrongValidator(const HeaderFields &fields);

// A Content-Range value: "bytes FIRST-LAST/LENGTH" (LENGTH may be "*"), or
// "bytes */LENGTH" for a range that could not be satisfied.
struct ContentRange {
  std::optional<std::uint64_t> first; // with `last`: the part sent
  std::uint64_t last = 0;
  std::optional<std::uint64_t> length; // the whole file's, when given
};
std::optional<ContentRange> ReadContentRange(std::string_view value);

// Whether a body is a web page, by the type its answer gives
// ("text/html", "application/xhtml+xml") or by how it begins: a login page,
// an error page or a portal's, never a video.
bool IsWebPageBody(std::string_view contentType, std::string_view start);

} // namespace vidtrawl::net
