#pragma once

#include "base/Outcome.h"
#include "net/Session.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vidtrawl::net {

// No page is larger: a page address that delivers a video or an endless
// stream is no page.
inline constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;

// The text of the page at an http or https address: the whole body of a 200
// answer, held in memory. `progress` hears of each part that arrives.
base::Outcome<std::string> FetchPage(Session &session, const std::string &address,
                                     const ProgressSink &progress, const StopCheck &stop,
                                     std::size_t maxBytes = kMaxPageBytes);

// Whether the text is an address a request may be made for.
bool IsHttpAddress(const std::string &address);

class CurlRequest;
// Begins the GET of an http or https address and waits for its body: nothing
// when the answer is a 200 whose body may be read, else how it ended.
std::optional<base::Ended> OpenBody(CurlRequest &request, const std::string &address,
                                    const StopCheck &stop);

} // namespace vidtrawl::net
