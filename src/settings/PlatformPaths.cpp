#include "settings/PlatformPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace vidtrawl::settings {

std::filesystem::path HomeFolder() {
  if (const char *home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
    return entry->pw_dir;
  return {};
}

namespace {

// An XDG base folder: the variable when it holds an absolute path, else its
// default under the home folder.
std::filesystem::path XdgFolder(const char *variable, const char *underHome) {
  if (const char *value = std::getenv(variable); value && *value == '/')
    return value;
  std::filesystem::path home = HomeFolder();
  if (home.empty())
    return {};
  return home / underHome;
}

} // namespace

std::filesystem::path ConfigFolder() {
  return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path DataFolder() {
  return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path DefaultDownloadDir() {
  std::filesystem::path home = HomeFolder();
  if (home.empty())
    return "Downloaded Videos";
  return home / "Downloaded Videos";
}

} // namespace vidtrawl::settings
