#pragma once

#include <string>
#include <vector>

namespace vidtrawl::gui {

// What the desktop program's command line asks for. Qt's own options
// (-platform, -style, ...) are taken by Qt before these are read.
struct DesktopCommandLine {
  enum class Action { Run, Help, Version, Usage };
  Action action = Action::Run;
  std::vector<std::string> addresses; // to add and download at start
  std::string problem;                // Usage: what is wrong

  // `arguments` without the program's name.
  static DesktopCommandLine Parse(const std::vector<std::string> &arguments);
  // Help or version asked anywhere before "--": answered without a display.
  static bool AsksHelpOrVersion(int argc, const char *const *argv);
};

std::string DesktopHelpText();
std::string DesktopVersionText();

} // namespace vidtrawl::gui
