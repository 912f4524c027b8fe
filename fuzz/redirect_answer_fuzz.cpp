// The redirect resolver's pure steps: reading the player host's answer,
// taking the player address's host text apart, and building the request.
#include "FuzzCheck.h"
#include "net/HostAndPort.h"
#include "sites/RedirectAnswer.h"
#include "sites/RedirectRequest.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vidtrawl::sites;
using vidtrawl::net::ParseHostAndPort;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);

  const std::string path = YoutubePathFromAnswer(text);
  if (!path.empty()) {
    FUZZ_CHECK(path.starts_with("/get_video?"));
    FUZZ_CHECK(path.find("\r\n") == std::string::npos);
  }

  std::string error;
  if (const auto address = ParseHostAndPort(text, 80, error)) {
    FUZZ_CHECK(!address->host.empty());
    FUZZ_CHECK(address->port >= 1 && address->port <= 65535);
    for (const char c : address->host)
      FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && c != 0x7f);
    // A usable host cannot add lines to the request.
    const std::string request = BuildRedirectRequest(std::string(text), "/");
    std::size_t lines = 0;
    for (std::size_t at = request.find("\r\n"); at != std::string::npos;
         at = request.find("\r\n", at + 2))
      ++lines;
    FUZZ_CHECK(lines == 9);
  } else {
    FUZZ_CHECK(error == "Invalid host name" || error == "Invalid port");
  }
  return 0;
}
