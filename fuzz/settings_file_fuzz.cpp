// The settings file reader: any text is read without a fault, what it does
// not understand survives a write back unchanged, and a value set is read
// back whole.
#include "FuzzCheck.h"
#include "settings/RegistryDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using vidtrawl::settings::RegistryDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings";

  RegistryDocument document = RegistryDocument::Parse(text);
  const std::string written = document.Text();
  // Reading what was written reads the same values.
  const RegistryDocument again = RegistryDocument::Parse(written);
  FUZZ_CHECK(again.Text() == written);
  FUZZ_CHECK(again.Value(kKey, "URL Mon") == document.Value(kKey, "URL Mon"));
  FUZZ_CHECK(again.Value(kKey, "Download Dir") == document.Value(kKey, "Download Dir"));

  // Any value text comes back whole, whatever the file held before.
  const std::string value(text.substr(0, 64));
  document.SetValue(kKey, "Download Dir", value);
  const RegistryDocument reread = RegistryDocument::Parse(document.Text());
  FUZZ_CHECK(reread.Value(kKey, "Download Dir") == value);
  FUZZ_CHECK(RegistryDocument::Unescape(RegistryDocument::Escape(text)) == text);
  return 0;
}
