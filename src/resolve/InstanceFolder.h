#pragma once

#include "base/FileDescriptor.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vidtrawl::resolve {

// The folder of one running instance under a root that all of a user's
// instances share, also from other containers, PID namespaces or hosts (an
// NFS home), where a process id says nothing about another instance. An
// instance shows that it runs by holding a lock on a file in its folder for
// its whole life; a folder whose lock can be taken is left from an instance
// that is gone, and is removed when the next instance starts.
class InstanceFolder {
public:
  static constexpr const char *kLockName = "lock";

  // A new folder in `root` (a private folder), after the stale ones went;
  // nothing, with the reason in `problem`, when none can be made.
  static std::optional<InstanceFolder> Make(const std::filesystem::path &root,
                                            std::string &problem);

  // Removes the folder, then lets its lock go.
  ~InstanceFolder();
  InstanceFolder(InstanceFolder &&) = default;
  InstanceFolder &operator=(InstanceFolder &&) = delete;

  const std::filesystem::path &Path() const { return path_; }

private:
  InstanceFolder(std::filesystem::path path, base::FileDescriptor lock)
      : path_(std::move(path)), lock_(std::move(lock)) {}

  std::filesystem::path path_;
  base::FileDescriptor lock_;
};

} // namespace vidtrawl::resolve
