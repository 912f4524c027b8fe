#include "FuzzCheck.h"
#include "net/UrlHelpers.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vidtrawl::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);

  std::string host = text;
  std::string path = "\x01unchanged";
  SplitURL(host, path);
  FUZZ_CHECK(host.find('/') == std::string::npos);
  if (path == "\x01unchanged") {
    FUZZ_CHECK(text.size() >= host.size() && text.ends_with(host));
  } else {
    FUZZ_CHECK(!path.empty() && path.front() == '/');
    FUZZ_CHECK(text.ends_with(host + path));
    FUZZ_CHECK(text.size() - host.size() - path.size() <= 7); // only "http://" is removed
  }
  return 0;
}
