// File naming and size texts: CleanFileName on the input, FormatSize on its
// first eight bytes read as a number.
#include "FuzzCheck.h"
#include "engine/FormatSize.h"
#include "list/CleanFileName.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using namespace vidtrawl::list;

namespace {

bool Forbidden(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127 || std::string_view("\\/:*?\"<>|&").find(c) != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);

  const std::string name = CleanFileName(text);
  FUZZ_CHECK(!name.empty());
  FUZZ_CHECK(name.front() != '.' && name.front() != ' '); // never hidden, never ".."
  if (name != kEnterFileName) {
    std::string kept;
    for (const char c : text)
      if (!Forbidden(c))
        kept += c;
    kept.erase(0, kept.find_first_not_of(". "));
    // Plain ASCII loses exactly the forbidden characters and the leading dots and blanks; other
    // text may lose invisible characters too, and nothing else is ever added.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
      FUZZ_CHECK(name == kept);
    std::size_t at = 0;
    for (const char c : name) {
      FUZZ_CHECK(!Forbidden(c));
      at = kept.find(c, at);
      FUZZ_CHECK(at != std::string::npos);
      ++at;
    }
  }

  if (size >= sizeof(double)) {
    double bytes = 0;
    std::memcpy(&bytes, data, sizeof bytes);
    const std::string separator(text.substr(sizeof bytes, 2));
    const std::string sizeText =
        vidtrawl::engine::FormatSize(bytes, separator.empty() ? "." : separator);
    if (!sizeText.empty()) {
      const std::string_view unit = std::string_view(sizeText).substr(sizeText.rfind(' ') + 1);
      FUZZ_CHECK(unit == "Bytes" || unit == "KB" || unit == "MB" || unit == "GB" || unit == "TB" ||
                 unit == "PB" || unit == "EB");
    }
  }
  return 0;
}
