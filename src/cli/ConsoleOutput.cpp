#include "cli/ConsoleOutput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <langinfo.h>
#include <unistd.h>

namespace vidtrawl::cli {

ConsoleTraits DetectConsole() {
  ConsoleTraits traits;
  traits.terminal = ::isatty(STDERR_FILENO) == 1;
  if (const char *mode = std::getenv("VIDTRAWL_PROGRESS")) {
    if (std::strcmp(mode, "live") == 0)
      traits.terminal = true;
    else if (std::strcmp(mode, "plain") == 0)
      traits.terminal = false;
  }
  const char *codeset = ::nl_langinfo(CODESET);
  traits.unicode = codeset != nullptr &&
                   (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  const char *term = std::getenv("TERM");
  const char *noColour = std::getenv("NO_COLOR");
  traits.colour = traits.terminal && (noColour == nullptr || *noColour == '\0') &&
                  !(term != nullptr && std::strcmp(term, "dumb") == 0);
  return traits;
}

} // namespace vidtrawl::cli
