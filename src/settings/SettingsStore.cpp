#include "settings/SettingsStore.h"

#include "base/WholeFile.h"
#include "settings/PlatformPaths.h"
#include "settings/RegistryDocument.h"

#include <optional>
#include <utility>

namespace vidtrawl::settings {

namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER";
constexpr char kDefaultValueName[] = "@";

bool HasLineBreak(const std::string &text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// The section name of a key path, with one leading and then one trailing "\"
// ignored; nothing when the path has an empty level or cannot be written into
// the file.
std::optional<std::string> FullKey(std::string path) {
  if (!path.empty() && path.front() == '\\')
    path.erase(0, 1);
  if (!path.empty() && path.back() == '\\')
    path.pop_back();
  if (HasLineBreak(path))
    return std::nullopt;
  if (path.empty())
    return std::string(kRoot);
  if (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string::npos)
    return std::nullopt;
  return std::string(kRoot) + "\\" + path;
}

// The name of the value in the file; nothing when it cannot be held there.
std::optional<std::string> ValueName(const std::string &name) {
  if (name.empty() || name == "*")
    return std::string(kDefaultValueName);
  if (name == kDefaultValueName || name.front() == '[' || HasLineBreak(name) ||
      name.find('=') != std::string::npos)
    return std::nullopt;
  return name;
}

} // namespace

SettingsStore::SettingsStore() : file_(DefaultFile()) {}

SettingsStore::SettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path SettingsStore::DefaultFile() {
  std::filesystem::path config = ConfigFolder();
  if (config.empty())
    return {};
  return config / "vidtrawl" / "registry.ini";
}

std::string SettingsStore::Get(const std::string &key, const std::string &name,
                               const std::string &fallback) const {
  std::optional<std::string> section = FullKey(key);
  std::optional<std::string> valueName = ValueName(name);
  if (!section || !valueName)
    return fallback;
  base::WholeFileText file = base::ReadWholeFile(file_, kMaxSettingsFile);
  if (file.state != base::WholeFileText::State::Read)
    return fallback;
  RegistryDocument doc = RegistryDocument::Parse(file.text);
  if (!doc.HasKey(*section))
    return fallback;
  std::optional<std::string> value = doc.Value(*section, *valueName);
  // An empty value holds no data: the caller's default stands.
  if (!value || value->empty())
    return fallback;
  return *value;
}

bool SettingsStore::Save(const std::string &key, const std::string &name,
                         const std::string &value) {
  std::optional<std::string> section = FullKey(key);
  std::optional<std::string> valueName = ValueName(name);
  if (!section || !valueName)
    return false;
  base::WholeFileText file = base::ReadWholeFile(file_, kMaxSettingsFile);
  if (file.state != base::WholeFileText::State::Missing &&
      file.state != base::WholeFileText::State::Read)
    return false; // replacing it would lose whatever it holds
  RegistryDocument doc = RegistryDocument::Parse(file.text);
  doc.CreateKey(*section);
  doc.SetValue(*section, *valueName, value);
  return base::ReplaceWholeFile(file_, doc.Text());
}

} // namespace vidtrawl::settings
