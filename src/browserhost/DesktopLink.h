#pragma once

#include "channel/HandedItem.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace vidtrawl::browserhost {

// The way to the desktop program of this user session: its single-instance
// socket. When none answers there, the program is started (once): the
// `vidtrawl` beside this program, else the first on PATH, run directly (no
// shell) in a session of its own, with the environment the browser gave.
class DesktopLink {
public:
  // How long a hand-over may take, the desktop's start included.
  explicit DesktopLink(std::chrono::milliseconds patience = std::chrono::seconds(20))
      : patience_(patience) {}

  // Hands the item over; empty once the running program has taken it, else
  // why not, for the user.
  std::string HandOver(const channel::HandedItem &item);

private:
  std::string Start();

  std::chrono::milliseconds patience_;
  bool started_ = false;
};

// The desktop program to start: `vidtrawl` in `folder` when it is there,
// else the first executable `vidtrawl` of the PATH's folders; empty: none.
std::filesystem::path FindDesktopProgram(const std::filesystem::path &folder);

} // namespace vidtrawl::browserhost
