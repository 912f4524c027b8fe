// transfer_bench URL FILE: one fresh transfer component downloads URL into
// FILE, the way the program does (through FILE.vidtrawl-part, renamed when
// complete); prints the bytes received and the number of progress events;
// exits 0 when the transfer completed and 1 otherwise.
#include "host/Pump.h"
#include "net/Download.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

namespace {

class Counter final : public vidtrawl::net::DownloadEvents {
public:
  void DownloadComplete() override { complete = true; }
  void DownloadProgress(std::int64_t) override { ++progressEvents; }
  void DownloadError(const std::string &text) override { error = text; }
  void DownloadCancelled(std::int64_t position) override { bytes = position; }

  bool complete = false;
  std::int64_t progressEvents = 0;
  std::int64_t bytes = 0;
  std::string error;
};

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s URL FILE\n", argv[0]);
    return 2;
  }
  vidtrawl::host::NoopPump pump;
  vidtrawl::net::Download download(pump);
  Counter events;
  download.SetEvents(&events);
  download.SetUrl(argv[1]);
  download.SetLocalFile(argv[2]);
  try {
    download.StartDownload();
  } catch (const std::exception &fault) {
    std::fprintf(stderr, "transfer_bench: %s\n", fault.what());
    return 1;
  }
  std::FILE *file = std::fopen(argv[2], "rb");
  long long bytes = -1;
  if (file != nullptr) {
    std::fseek(file, 0, SEEK_END);
    bytes = std::ftell(file);
    std::fclose(file);
  }
  std::printf("bytes %lld progress_events %lld\n", bytes,
              static_cast<long long>(events.progressEvents));
  if (!events.complete) {
    std::fprintf(stderr, "transfer_bench: %s\n",
                 events.error.empty() ? "cancelled" : events.error.c_str());
    return 1;
  }
  return 0;
}
