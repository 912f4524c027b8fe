#pragma once

#include "base/Outcome.h"
#include "net/PartialFile.h"
#include "net/Session.h"

#include <cstdint>
#include <string>

namespace vidtrawl::net {

// Receives the file at an http or https address into a claimed partial file
// and, when every byte arrived, completes it under its target's name (or
// the next free variant of it). Only a 200 answer is the file; a body that
// ends short of the length it announced (or, when it announced none, of
// `expected`, what a header request said) fails. A body that trickles below
// the session's slowest rate for its silence limit is given up on. The
// partial file keeps the bytes of a stopped or failed transfer. The value is
// the number of bytes received.
base::Outcome<std::uint64_t> TransferFile(Session &session, const std::string &address,
                                          PartialFile &file, std::uint64_t expected,
                                          const ProgressSink &progress, const StopCheck &stop);

} // namespace vidtrawl::net
