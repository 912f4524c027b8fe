#pragma once

#include <string>

namespace vidtrawl::media {

// The language the user reads, as the environment's locale names it (LANGUAGE's first, else
// LC_ALL, LC_MESSAGES, LANG, as gettext looks): "de" of "de_DE.UTF-8"; empty for the C locale
// or none.
std::string UserLanguage();

} // namespace vidtrawl::media
