// transfer_bench URL FILE: one transfer receives URL into FILE, the way the program does (through
// FILE.vidtrawl-part, renamed when complete, on a poll loop driving curl's multi interface);
// prints the bytes received and the number of progress reports; exits 0 when the transfer
// completed and 1 otherwise.
#include "engine/PollLoop.h"
#include "net/FileTransfer.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
    return 2;
  }
  vidtrawl::engine::PollLoop loop;
  vidtrawl::net::Session session(loop, vidtrawl::net::ConnectionMap{});
  vidtrawl::base::Outcome<vidtrawl::net::PartialFile> file =
      vidtrawl::net::PartialFile::Claim(argv[2]);
  if (file.Failed()) {
    std::fprintf(stderr, "transfer_bench: %s\n", file.Failure().detail.c_str());
    return 1;
  }
  long long reports = 0;
  std::optional<vidtrawl::base::Outcome<std::uint64_t>> received;
  vidtrawl::net::FileTransfer transfer(
      session, argv[1], file.Value(), {}, [&](std::uint64_t, std::uint64_t) { ++reports; },
      [&](vidtrawl::base::Outcome<std::uint64_t> outcome) { received = std::move(outcome); });
  loop.RunUntil([&] { return received.has_value(); });
  if (!received->Done()) {
    std::fprintf(stderr, "transfer_bench: %s\n",
                 received->Failed() ? received->Failure().detail.c_str() : "stopped");
    return 1;
  }
  std::printf("bytes %llu progress_reports %lld\n",
              static_cast<unsigned long long>(received->Value()), reports);
  return 0;
}
