#pragma once

#include "net/CurlRequest.h"
#include "net/Validators.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vidtrawl::net {

// What a range request asked for (CurlRequest::AskFrom): the part from `from` (up to `last` when
// given) of a file `length` bytes long (when known) in the version `version` (when it is to be
// checked: a strong validator, never empty).
struct AskedPart {
  std::uint64_t from = 0;
  std::optional<std::uint64_t> last;
  std::optional<std::uint64_t> length;
  std::optional<std::string> version;
};

// The part a 206 brings when it is provably the one asked for (RFC 9110 15.3.7): its
// Content-Range starts where the part was to start, ends where it was to end, and names the
// whole file's length; its strong validator is the version asked about. Nothing otherwise (any
// other status, part, length or version), and the caller does not take the bytes as that part.
std::optional<ContentRange> AskedPartOf(const CurlRequest &request, const AskedPart &asked);

} // namespace vidtrawl::net
