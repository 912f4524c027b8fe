#include "FuzzCheck.h"
#include "net/UrlHelpers.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string text(reinterpret_cast<const char *>(data), size);
  const std::string decoded = vidtrawl::net::UnescapeURL(text);
  FUZZ_CHECK(decoded.size() <= 1023);
  FUZZ_CHECK(decoded.size() <= text.size());
  if (text.find('%') == std::string::npos)
    FUZZ_CHECK(decoded == (text.size() <= 1023 ? text : std::string()));
  return 0;
}
