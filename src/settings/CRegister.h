#pragma once

#include <filesystem>
#include <string>

namespace vidtrawl::settings {

// The predefined root keys.
enum class RegRoot {
  HKEY_CLASSES_ROOT,
  HKEY_CURRENT_USER,
  HKEY_LOCAL_MACHINE,
  HKEY_USERS,
  HKEY_CURRENT_CONFIG,
};

const char *RootName(RegRoot root);

// Reads, writes and deletes string values of registry keys. The keys live in
// a text file (by default ${XDG_CONFIG_HOME:-$HOME/.config}/vidtrawl/registry.ini):
// one section per key headed "[ROOT\key\path]", one "name=value" line per
// value, the default value named "@". Key paths use "\" as the separator.
// Value and key names match ignoring ASCII letter case.
//
// The object holds no state between calls: every operation reads the file,
// and a change replaces it at once. A missing or unreadable file holds no
// values; a file that could not be read is never replaced. No operation
// reports an error: a read falls back to the caller's default, a write or
// delete returns false.
//
// A value name of "*" (or an empty one, as in the registry) stands for the
// key's default value. Names and key paths that the file cannot hold (CR or
// LF anywhere, "=" or a leading "[" in a value name, the name "@", an empty
// level in a key path) are refused.
class CRegister {
public:
  CRegister();
  explicit CRegister(std::filesystem::path file);

  // With sKey empty, deletes the key sSection (as passed in, not normalised;
  // only a key without subkeys); otherwise the value sKey of that key.
  bool REGDeleteSetting(RegRoot regHKEY, const std::string &sSection, const std::string &sKey);
  // The stored value, or sDefault when the key or value is missing, the value
  // is empty or the file cannot be read.
  std::string REGGetSetting(RegRoot regHKEY, const std::string &sSection, const std::string &sKey,
                            const std::string &sDefault);
  // Creates the key and the keys above it when missing, then writes the value.
  bool REGSaveSetting(RegRoot regHKEY, const std::string &sSection, const std::string &sKey,
                      const std::string &sValue);

  const std::filesystem::path &File() const { return file_; }

  // ${XDG_CONFIG_HOME:-$HOME/.config}/vidtrawl/registry.ini
  static std::filesystem::path DefaultFile();

private:
  // One leading and then one trailing "\" removed.
  static std::string NormalizeKeyPath(const std::string &path);

  std::filesystem::path file_;
};

} // namespace vidtrawl::settings
