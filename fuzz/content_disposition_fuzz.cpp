// A server's Content-Disposition value: the name it offers is read without
// a fault, and once cleaned it can neither leave the download folder nor
// hide itself nor break a terminal line.
#include "FuzzCheck.h"
#include "list/CleanFileName.h"
#include "net/ContentDisposition.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view value(reinterpret_cast<const char *>(data), size);
  const std::string offered = vidtrawl::net::FileNameOfContentDisposition(value);
  // Decoding and Latin-1 widening at most double a name.
  FUZZ_CHECK(offered.size() <= 2 * value.size());

  const std::string name = vidtrawl::list::CleanFileName(offered);
  FUZZ_CHECK(!name.empty());
  FUZZ_CHECK(name.front() != '.' && name.front() != ' ');
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    FUZZ_CHECK(c != '/' && c != '\\' && u >= 0x20 && u != 0x7f);
  }
  return 0;
}
