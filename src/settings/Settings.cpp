#include "settings/Settings.h"

#include "base/Guarded.h"
#include "host/MovieVariableNames.h"
#include "settings/BooleanText.h"
#include "settings/CRegister.h"
#include "settings/PlatformPaths.h"
#include "settings/RegistryFile.h"

#include <optional>
#include <utility>

namespace vidtrawl::settings {

using base::Guarded;

Settings::Settings() : registryFile_(CRegister::DefaultFile()) {}

Settings::Settings(std::filesystem::path registryFile) : registryFile_(std::move(registryFile)) {}

void Settings::LoadSettings(host::MovieVariables &movie, const MonitorSwitch &monitor,
                            const SettingsNote &note) {
  Guarded([&] {
    if (note && ReadRegistryFile(registryFile_).state == RegistryFileText::State::TooLarge)
      note("The settings file " + registryFile_.string() + " is larger than " +
           std::to_string(kMaxRegistryFile / 1024) +
           " KiB, too large to be Vidtrawl's: it is left as it is, and the default settings "
           "are used and not saved.");
  });
  {
    CRegister reg(registryFile_);
    Guarded([&] {
      std::string text =
          reg.REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kUrlMonName, kUrlMonDefault);
      if (std::optional<bool> on = BooleanFromText(text))
        bMonitorEnabled = *on;
    });
    Guarded([&] {
      if (bMonitorEnabled && monitor)
        monitor(true);
    });
    Guarded([&] {
      sDownloadDir = reg.REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kDownloadDirName,
                                       DefaultDownloadDir().string());
    });
  }
  ShowSettings(movie);
}

void Settings::SaveSettings() const {
  CRegister reg(registryFile_);
  Guarded([&] {
    reg.REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kUrlMonName,
                       BooleanText(bMonitorEnabled));
  });
  Guarded([&] {
    reg.REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, kDownloadDirName, sDownloadDir);
  });
}

void Settings::ShowSettings(host::MovieVariables &movie) const {
  namespace mv = host::movie;
  Guarded(
      [&] { movie.SetFlashVariable(mv::kAutoToDownloadListCB, mv::FlashFlag(bMonitorEnabled)); });
  Guarded([&] { movie.SetFlashVariable(mv::kDownloadCB, mv::kFlagOn); });
  Guarded([&] { movie.SetFlashVariable(mv::kConvertCB, mv::kFlagOn); });
  Guarded([&] { movie.SetFlashVariable(mv::kDownloadDir, sDownloadDir); });
}

} // namespace vidtrawl::settings
