#include "settings/Settings.h"

#include "settings/BooleanText.h"
#include "settings/CRegister.h"
#include "settings/PlatformPaths.h"
#include "settings/RegistryFile.h"

#include <optional>
#include <utility>

namespace vidtrawl::settings {

Settings::Settings() : registryFile_(CRegister::DefaultFile()) {}

Settings::Settings(std::filesystem::path registryFile) : registryFile_(std::move(registryFile)) {}

void Settings::Load(const SettingsNote &note) {
  if (note && ReadRegistryFile(registryFile_).state == RegistryFileText::State::TooLarge)
    note("The settings file " + registryFile_.string() + " is larger than " +
         std::to_string(kMaxRegistryFile / 1024) +
         " KiB, too large to be Vidtrawl's: it is left as it is, and the default settings are "
         "used and not saved.");
  CRegister registry(registryFile_);
  const std::string text =
      registry.REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kUrlMonName, kUrlMonDefault);
  if (const std::optional<bool> on = BooleanFromText(text))
    monitor = *on;
  downloadDir = registry.REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kDownloadDirName,
                                       DefaultDownloadDir().string());
}

void Settings::Save() const {
  CRegister registry(registryFile_);
  registry.REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kUrlMonName,
                          BooleanText(monitor));
  registry.REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kDownloadDirName, downloadDir);
}

} // namespace vidtrawl::settings
