#include "media/UserLanguage.h"

#include <cstdlib>
#include <string_view>

namespace vidtrawl::media {

std::string UserLanguage() {
  for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0')
      continue;
    const std::string_view locale = value;
    if (locale == "C" || locale == "POSIX" || locale.starts_with("C."))
      return {};
    // LANGUAGE orders the user's languages once a locale is set at all.
    std::string_view chosen = locale;
    if (const char *languages = std::getenv("LANGUAGE"); languages != nullptr && *languages)
      chosen = std::string_view(languages).substr(0, std::string_view(languages).find(':'));
    return std::string(chosen.substr(0, chosen.find_first_of("_.@-")));
  }
  return {};
}

} // namespace vidtrawl::media
