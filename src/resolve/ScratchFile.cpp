#include "resolve/ScratchFile.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include <signal.h>
#include <unistd.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;

bool ProcessRunning(const std::string &name) {
  if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos || name.size() > 9)
    return true; // not one of ours: leave it alone
  const pid_t pid = static_cast<pid_t>(std::stol(name));
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

void RemoveStaleFolders(const fs::path &root) {
  std::error_code ec;
  for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    if (!it->is_directory(ec) || ProcessRunning(it->path().filename().string()))
      continue;
    std::error_code ignored;
    fs::remove_all(it->path(), ignored);
  }
}

} // namespace

fs::path ScratchFile::CacheRoot() {
  const char *cache = std::getenv("XDG_CACHE_HOME");
  if (cache && *cache == '/')
    return fs::path(cache) / "vidtrawl";
  const char *home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".cache" / "vidtrawl";
}

ScratchFile::ScratchFile(std::optional<fs::path> folder) : owned_(!folder) {
  if (folder) {
    folder_ = std::move(*folder);
    std::error_code ec;
    fs::create_directories(folder_, ec);
    path_ = folder_ / kName;
    return;
  }
  const fs::path root = CacheRoot();
  std::error_code ec;
  fs::create_directories(root, ec);
  RemoveStaleFolders(root);
  folder_ = root / std::to_string(::getpid());
  fs::create_directories(folder_, ec);
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, ec);
  path_ = folder_ / kName;
}

ScratchFile::~ScratchFile() {
  if (!owned_)
    return;
  std::error_code ec;
  fs::remove_all(folder_, ec);
}

} // namespace vidtrawl::resolve
