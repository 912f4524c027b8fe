#pragma once

#include "base/Outcome.h"
#include "net/PartialFile.h"
#include "net/Session.h"

#include <cstdint>
#include <string>

namespace vidtrawl::net {

// Receives the file at an http or https address into a claimed partial file
// and, when every byte arrived, completes it under its target's name (or
// the next free variant of it). A partial file that holds bytes of the same
// version of the file goes on from its end (a range request with If-Range);
// a server that sends the whole file instead (200), cannot send that part
// (416) or sends another part starts it over. Otherwise only a 200 answer is
// the file. A body that ends short of the length announced (or, when none
// was, of `expected`, what a header request said) fails. A body that
// trickles below the session's slowest rate for its silence limit is given
// up on. The partial file keeps the bytes of a stopped or failed transfer.
// The value, like the progress, counts the whole file's bytes.
base::Outcome<std::uint64_t> TransferFile(Session &session, const std::string &address,
                                          PartialFile &file, std::uint64_t expected,
                                          const ProgressSink &progress, const StopCheck &stop);

} // namespace vidtrawl::net
