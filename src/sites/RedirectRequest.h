#pragma once

#include <string>

namespace vidtrawl::sites {

// The request sent to the YouTube player host: eight header lines and an
// empty line, each ended by CR LF, sent as they are (the odd
// "Accept -Encoding" line included, which the host is used to).
std::string BuildRedirectRequest(const std::string &host, const std::string &path);

} // namespace vidtrawl::sites
