#include "settings/CRegister.h"

#include "settings/PlatformPaths.h"
#include "settings/RegistryDocument.h"
#include "settings/RegistryFile.h"

#include <optional>
#include <utility>

namespace vidtrawl::settings {

namespace {

constexpr char kDefaultValueName[] = "@";

bool HasLineBreak(const std::string &text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// "ROOT\path", or the root alone for an empty path; nothing when the path
// has an empty level or cannot be written into the file.
std::optional<std::string> FullKey(RegRoot root, const std::string &path) {
  if (HasLineBreak(path))
    return std::nullopt;
  if (path.empty())
    return std::string(RootName(root));
  if (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string::npos)
    return std::nullopt;
  return std::string(RootName(root)) + "\\" + path;
}

// The name of the value in the file; nothing when it cannot be held there.
std::optional<std::string> ValueName(const std::string &sKey) {
  if (sKey.empty() || sKey == "*")
    return std::string(kDefaultValueName);
  if (sKey == kDefaultValueName || sKey.front() == '[' || HasLineBreak(sKey) ||
      sKey.find('=') != std::string::npos)
    return std::nullopt;
  return sKey;
}

} // namespace

const char *RootName(RegRoot root) {
  switch (root) {
  case RegRoot::HKEY_CLASSES_ROOT:
    return "HKEY_CLASSES_ROOT";
  case RegRoot::HKEY_CURRENT_USER:
    return "HKEY_CURRENT_USER";
  case RegRoot::HKEY_LOCAL_MACHINE:
    return "HKEY_LOCAL_MACHINE";
  case RegRoot::HKEY_USERS:
    return "HKEY_USERS";
  case RegRoot::HKEY_CURRENT_CONFIG:
    return "HKEY_CURRENT_CONFIG";
  }
  return "HKEY_CURRENT_USER";
}

CRegister::CRegister() : file_(DefaultFile()) {}

CRegister::CRegister(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path CRegister::DefaultFile() {
  std::filesystem::path config = ConfigFolder();
  if (config.empty())
    return {};
  return config / "vidtrawl" / "registry.ini";
}

std::string CRegister::NormalizeKeyPath(const std::string &path) {
  std::string result = path;
  if (!result.empty() && result.front() == '\\')
    result.erase(0, 1);
  if (!result.empty() && result.back() == '\\')
    result.pop_back();
  return result;
}

std::string CRegister::REGGetSetting(RegRoot regHKEY, const std::string &sSection,
                                     const std::string &sKey, const std::string &sDefault) {
  std::optional<std::string> key = FullKey(regHKEY, NormalizeKeyPath(sSection));
  std::optional<std::string> name = ValueName(sKey);
  if (!key || !name)
    return sDefault;
  RegistryFileText file = ReadRegistryFile(file_);
  if (file.state != RegistryFileText::State::Read)
    return sDefault;
  RegistryDocument doc = RegistryDocument::Parse(file.text);
  if (!doc.HasKey(*key))
    return sDefault;
  std::optional<std::string> value = doc.Value(*key, *name);
  // An empty value holds no data: the caller's default stands.
  if (!value || value->empty())
    return sDefault;
  return *value;
}

bool CRegister::REGSaveSetting(RegRoot regHKEY, const std::string &sSection,
                               const std::string &sKey, const std::string &sValue) {
  std::optional<std::string> key = FullKey(regHKEY, NormalizeKeyPath(sSection));
  std::optional<std::string> name = ValueName(sKey);
  if (!key || !name)
    return false;
  RegistryFileText file = ReadRegistryFile(file_);
  if (file.state != RegistryFileText::State::Missing && file.state != RegistryFileText::State::Read)
    return false; // replacing it would lose whatever it holds
  RegistryDocument doc = RegistryDocument::Parse(file.text);
  doc.CreateKey(*key);
  doc.SetValue(*key, *name, sValue);
  return ReplaceRegistryFile(file_, doc.Text());
}

bool CRegister::REGDeleteSetting(RegRoot regHKEY, const std::string &sSection,
                                 const std::string &sKey) {
  std::optional<std::string> key =
      FullKey(regHKEY, sKey.empty() ? sSection : NormalizeKeyPath(sSection));
  if (!key)
    return false;
  RegistryFileText file = ReadRegistryFile(file_);
  if (file.state != RegistryFileText::State::Read)
    return false;
  RegistryDocument doc = RegistryDocument::Parse(file.text);
  if (sKey.empty()) {
    if (!doc.DeleteKey(*key))
      return false;
  } else {
    std::optional<std::string> name = ValueName(sKey);
    if (!name || !doc.HasKey(*key) || !doc.DeleteValue(*key, *name))
      return false;
  }
  return ReplaceRegistryFile(file_, doc.Text());
}

} // namespace vidtrawl::settings
