#include "settings/Settings.h"

#include "settings/BooleanText.h"
#include "settings/PlatformPaths.h"
#include "settings/RegistryFile.h"
#include "settings/SettingsStore.h"

#include "base/NumberScan.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vidtrawl::settings {

Settings::Settings() : registryFile_(SettingsStore::DefaultFile()) {}

Settings::Settings(std::filesystem::path registryFile) : registryFile_(std::move(registryFile)) {}

void Settings::Load(const SettingsNote &note) {
  if (note && ReadRegistryFile(registryFile_).state == RegistryFileText::State::TooLarge)
    note("The settings file " + registryFile_.string() + " is larger than " +
         std::to_string(kMaxRegistryFile / 1024) +
         " KiB, too large to be Vidtrawl's: it is left as it is, and the default settings are "
         "used and not saved.");
  const SettingsStore store(registryFile_);
  const std::string text = store.Get(kSettingsKey, kUrlMonName, kUrlMonDefault);
  if (const std::optional<bool> on = BooleanFromText(text))
    monitor = *on;
  downloadDir = store.Get(kSettingsKey, kDownloadDirName, DefaultDownloadDir().string());
  knownSitesOnly =
      BooleanFromText(store.Get(kSettingsKey, kKnownSitesOnlyName, "False")).value_or(false);
  // A number out of range is taken to its nearest bound; anything else is the default.
  const std::string jobs = store.Get(kSettingsKey, kSimultaneousDownloadsName, "");
  simultaneousDownloads = kSimultaneousDownloadsDefault;
  if (const std::optional<long long> value = base::ParseInteger<long long>(jobs))
    simultaneousDownloads = static_cast<int>(std::clamp<long long>(*value, 1, 16));
}

void Settings::Save() const {
  SettingsStore store(registryFile_);
  store.Save(kSettingsKey, kUrlMonName, BooleanText(monitor));
  store.Save(kSettingsKey, kDownloadDirName, downloadDir);
  store.Save(kSettingsKey, kSimultaneousDownloadsName, std::to_string(simultaneousDownloads));
  if (knownSitesOnly)
    store.Save(kSettingsKey, kKnownSitesOnlyName, BooleanText(true));
}

} // namespace vidtrawl::settings
