#pragma once

#include <filesystem>
#include <optional>

namespace vidtrawl::resolve {

// The scratch file "Parse.wvi" that receives each fetched page. It lives in
// a folder of its own per running instance under the user's cache folder
// (${XDG_CACHE_HOME:-$HOME/.cache}/vidtrawl/<pid>/), created private to the
// user. Folders left by instances that are no longer running are removed
// when a new one is made, and the instance's own folder when it goes away.
class ScratchFile {
public:
  static constexpr const char *kName = "Parse.wvi";

  // Without a folder: the per-instance folder under the user's cache folder.
  // With one: that folder (created if missing; left in place afterwards).
  explicit ScratchFile(std::optional<std::filesystem::path> folder = std::nullopt);
  ~ScratchFile();
  ScratchFile(const ScratchFile &) = delete;
  ScratchFile &operator=(const ScratchFile &) = delete;

  const std::filesystem::path &Path() const { return path_; }

  // The cache folder that holds the instance folders.
  static std::filesystem::path CacheRoot();

private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
  bool owned_ = false;
};

} // namespace vidtrawl::resolve
