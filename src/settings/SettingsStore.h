#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace vidtrawl::settings {

// No settings file is that large: a larger one is not read at all.
inline constexpr std::size_t kMaxSettingsFile = 1024 * 1024;

// Reads and writes string values of the per-user settings keys. The keys live
// in a text file (by default ${XDG_CONFIG_HOME:-$HOME/.config}/vidtrawl/registry.ini):
// one section per key headed "[HKEY_CURRENT_USER\key\path]", one "name=value"
// line per value, the default value named "@". Key paths use "\" as the
// separator. Value and key names match ignoring ASCII letter case.
//
// The object holds no state between calls: every operation reads the file,
// and a change replaces it at once. A missing or unreadable file holds no
// values; a file that could not be read is never replaced. No operation
// reports an error: a read falls back to the caller's default, a write
// returns false.
//
// A value name of "*" (or an empty one) stands for the key's default value.
// Names and key paths that the file cannot hold (CR or LF anywhere, "=" or a
// leading "[" in a value name, the name "@", an empty level in a key path)
// are refused.
class SettingsStore {
public:
  SettingsStore();
  explicit SettingsStore(std::filesystem::path file);

  // The stored value, or fallback when the key or value is missing, the value
  // is empty or the file cannot be read.
  std::string Get(const std::string &key, const std::string &name,
                  const std::string &fallback) const;
  // Creates the key and the keys above it when missing, then writes the value.
  bool Save(const std::string &key, const std::string &name, const std::string &value);

  const std::filesystem::path &File() const { return file_; }

  // ${XDG_CONFIG_HOME:-$HOME/.config}/vidtrawl/registry.ini
  static std::filesystem::path DefaultFile();

private:
  std::filesystem::path file_;
};

} // namespace vidtrawl::settings
