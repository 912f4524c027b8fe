#pragma once

#include <string>

namespace vidtrawl::cli {

// How the console behind stderr can show progress.
struct ConsoleTraits {
  bool terminal = false; // redraw lines in place
  bool unicode = false;  // the locale's character set is UTF-8
  bool colour = false;   // ANSI colours are welcome
};

// stderr is a terminal, or VIDTRAWL_PROGRESS=live asks for the terminal
// display anyway (VIDTRAWL_PROGRESS=plain for the log lines); colours unless
// NO_COLOR is set or TERM is "dumb".
ConsoleTraits DetectConsole();

} // namespace vidtrawl::cli
