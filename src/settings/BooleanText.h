#pragma once

#include <optional>
#include <string_view>

namespace vidtrawl::settings {

// Text to boolean as settings are read: "true" and "false" in any letter
// case, or a decimal number (optional sign, fraction and exponent): zero is
// false, anything else true. Any other text gives nothing.
std::optional<bool> BooleanFromText(std::string_view text);

// Booleans are stored as "True" and "False".
inline const char *BooleanText(bool value) {
  return value ? "True" : "False";
}

} // namespace vidtrawl::settings
