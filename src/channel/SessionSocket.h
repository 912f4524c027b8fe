#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The desktop program's single-instance channel, shared by the desktop and
// by the programs that hand it items (a second start, the browser's host).
namespace vidtrawl::channel {

// The user's session a desktop program belongs to, as its environment names
// it: the Wayland display when there is one, else the X display without its
// screen (":71", ":71.0" and "unix:71" are one server; "localhost:10", an ssh
// forwarding, is another), else `fallback` (the window system's name). Made
// of letters, digits and ":._-" only, so that it can end a file name.
std::string SessionName(std::string_view waylandDisplay, std::string_view x11Display,
                        std::string_view fallback);
// The session of this process's environment (WAYLAND_DISPLAY, DISPLAY).
std::string SessionName(std::string_view fallback = "none");

// The user's runtime folder: $XDG_RUNTIME_DIR when it is an absolute path,
// else /tmp/runtime-USER (as Qt chooses it). Nothing when it is not a folder
// of this user's that only they may enter: a socket there could be another
// user's. `create`: a missing fallback folder is made (the running program's
// part; a program that only connects makes nothing).
std::optional<std::filesystem::path> RuntimeFolder(bool create);

// The socket the session's running program listens on, with its lock beside
// it (the same name and ".lock").
std::filesystem::path ProgramSocket(const std::filesystem::path &runtimeFolder,
                                    std::string_view session);

} // namespace vidtrawl::channel
