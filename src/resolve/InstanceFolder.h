#pragma once

#include "base/FileDescriptor.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::resolve {

// The folder of one running instance under a root that all of a user's
// instances share, also from other containers, PID namespaces or hosts (an
// NFS home), where a process id says nothing about another instance. An
// instance shows that it runs by holding a lock on a file in its folder for
// its whole life; a folder whose lock can be taken is left from an instance
// that is gone, and is removed when the next instance starts. Only what an
// instance made goes: a folder named as instances name theirs
// ("instance-XXXXXX") that holds its lock file and nothing but the files
// instances keep there. Anything else in the root stays as it is.
class InstanceFolder {
public:
  static constexpr const char *kLockName = "lock";
  static constexpr const char *kPrefix = "instance-";

  // A new folder in `root` (a private folder), after the stale ones went;
  // nothing, with the reason in `problem`, when none can be made. `files`:
  // the names of the files instances keep in their folders, besides the lock.
  static std::optional<InstanceFolder> Make(const std::filesystem::path &root,
                                            std::vector<std::string> files, std::string &problem);

  // Removes the folder, then lets its lock go.
  ~InstanceFolder();
  InstanceFolder(InstanceFolder &&) = default;
  InstanceFolder &operator=(InstanceFolder &&) = delete;

  const std::filesystem::path &Path() const { return path_; }

private:
  InstanceFolder(std::filesystem::path path, base::FileDescriptor lock,
                 std::vector<std::string> files)
      : path_(std::move(path)), lock_(std::move(lock)), files_(std::move(files)) {}

  std::filesystem::path path_;
  base::FileDescriptor lock_;
  std::vector<std::string> files_; // the lock's name among them
};

} // namespace vidtrawl::resolve
