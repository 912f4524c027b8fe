#pragma once

#include "resolve/InstanceFolder.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::host {
class MessageBox;
}

namespace vidtrawl::resolve {

// The scratch file "Parse.wvi" that receives each fetched page, in a folder
// of this running instance that only this user controls: an InstanceFolder
// under settings::ScratchRoot(). When that root cannot be used (no home
// folder, a read-only one, a root that is a link or another user's), a fresh
// private folder under the temporary folder takes its place for this run,
// and the user is told why, once.
class ScratchFile {
public:
  static constexpr const char *kName = "Parse.wvi";

  // Without a folder: as above. With one: that folder (created if missing;
  // left in place afterwards).
  explicit ScratchFile(host::MessageBox &messages,
                       std::optional<std::filesystem::path> folder = std::nullopt);
  ~ScratchFile();
  ScratchFile(const ScratchFile &) = delete;
  ScratchFile &operator=(const ScratchFile &) = delete;

  // Empty when no folder could be had at all: no page can be fetched then.
  const std::filesystem::path &Path() const { return path_; }

private:
  std::optional<InstanceFolder> instance_;
  std::filesystem::path fallback_; // this run's own, removed at the end
  std::filesystem::path path_;
};

} // namespace vidtrawl::resolve
