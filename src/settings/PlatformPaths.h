#pragma once

#include <filesystem>

namespace vidtrawl::settings {

// The user's home folder: $HOME, else the password database's entry; empty
// when neither is known.
std::filesystem::path HomeFolder();

// ${XDG_CONFIG_HOME:-$HOME/.config}; a relative XDG_CONFIG_HOME is ignored.
std::filesystem::path ConfigFolder();

// ${XDG_DATA_HOME:-$HOME/.local/share}; a relative XDG_DATA_HOME is ignored.
std::filesystem::path DataFolder();

// The download folder used until the user chooses one: $HOME/Downloaded Videos.
std::filesystem::path DefaultDownloadDir();

} // namespace vidtrawl::settings
