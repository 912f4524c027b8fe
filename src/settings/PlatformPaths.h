#pragma once

#include <filesystem>

namespace vidtrawl::settings {

// The user's home folder: $HOME, else the password database's entry; empty
// when neither is known.
std::filesystem::path HomeFolder();

// ${XDG_CONFIG_HOME:-$HOME/.config}; a relative XDG_CONFIG_HOME is ignored.
std::filesystem::path ConfigFolder();

// Where running instances keep their scratch folders: under
// $XDG_RUNTIME_DIR (a folder of this user's session, on tmpfs) when set,
// else ${XDG_CACHE_HOME:-$HOME/.cache}; the "vidtrawl" folder there. Relative
// values are ignored; empty when no home folder is known.
std::filesystem::path ScratchRoot();

// The download folder used until the user chooses one: $HOME/Downloaded Videos.
std::filesystem::path DefaultDownloadDir();

} // namespace vidtrawl::settings
