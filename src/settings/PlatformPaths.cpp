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

std::filesystem::path ConfigFolder() {
  if (const char *config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
    return config;
  std::filesystem::path home = HomeFolder();
  if (home.empty())
    return {};
  return home / ".config";
}

std::filesystem::path DataFolder() {
  if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
    return data;
  std::filesystem::path home = HomeFolder();
  if (home.empty())
    return {};
  return home / ".local" / "share";
}

std::filesystem::path DefaultDownloadDir() {
  std::filesystem::path home = HomeFolder();
  if (home.empty())
    return "Downloaded Videos";
  return home / "Downloaded Videos";
}

} // namespace vidtrawl::settings
