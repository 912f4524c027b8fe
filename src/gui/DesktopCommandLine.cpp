#include "gui/DesktopCommandLine.h"

#include <string_view>

namespace vidtrawl::gui {

DesktopCommandLine DesktopCommandLine::Parse(const std::vector<std::string> &arguments) {
  DesktopCommandLine line;
  bool options = true;
  for (const std::string &argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && (argument == "-h" || argument == "--help")) {
      line.action = Action::Help;
      return line;
    } else if (options && (argument == "-V" || argument == "--version")) {
      line.action = Action::Version;
      return line;
    } else if (options && argument.size() > 1 && argument.front() == '-') {
      line.action = Action::Usage;
      line.problem = "unknown option '" + argument + "'";
      return line;
    } else if (!argument.empty()) {
      line.addresses.push_back(argument);
    }
  }
  return line;
}

bool DesktopCommandLine::AsksHelpOrVersion(int argc, const char *const *argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--")
      return false;
    if (argument == "-h" || argument == "--help" || argument == "-V" || argument == "--version")
      return true;
  }
  return false;
}

std::string DesktopHelpText() {
  return "Usage: vidtrawl [OPTION]... [URL]...\n"
         "Download the video files behind the pages of video-sharing sites, with a window\n"
         "and a tray icon.\n"
         "\n"
         "Each URL given is added to the download list and downloaded at once, as a\n"
         "copied address is. Without a display, use vidtrawl-cli.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "  -V, --version  show the version and exit\n"
         "  --             every argument after it is a URL\n"
         "\n"
         "Qt's own options (-platform, -style, -reverse, ...) are understood too.\n"
         "Settings are kept in ${XDG_CONFIG_HOME:-~/.config}/vidtrawl/registry.ini.\n"
         "See vidtrawl(1) and the program's help for more.\n";
}

std::string DesktopVersionText() {
  return std::string("vidtrawl ") + VIDTRAWL_VERSION + "\n";
}

} // namespace vidtrawl::gui
