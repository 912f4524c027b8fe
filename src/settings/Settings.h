#pragma once

#include "host/MovieVariables.h"

#include <filesystem>
#include <functional>
#include <string>

namespace vidtrawl::settings {

// Switches the clipboard monitor on (true) or off (false); wired by the host.
using MonitorSwitch = std::function<void(bool state)>;
// Tells the user something about the settings file that needs no answer.
using SettingsNote = std::function<void(const std::string &text)>;

// Where the settings are kept, under HKEY_CURRENT_USER.
inline constexpr char kSettingsKey[] = "Software\\Quillmark Vidtrawl\\Settings";
inline constexpr char kUrlMonName[] = "URL Mon";
inline constexpr char kDownloadDirName[] = "Download Dir";
// Monitoring is on at the first start.
inline constexpr char kUrlMonDefault[] = "true";

// The two user settings, process-wide from start-up to exit. Both are off
// and empty until LoadSettings runs. Every step of the operations is guarded
// on its own: a failing step is skipped and nothing is reported.
class Settings {
public:
  // The settings file of the registry store (CRegister::DefaultFile()).
  Settings();
  explicit Settings(std::filesystem::path registryFile);

  bool bMonitorEnabled = false;
  // The download folder exactly as read or chosen; files go to
  // sDownloadDir + "/" + file name.
  std::string sDownloadDir;

  // Reads both values (defaults: monitoring on, $HOME/Downloaded Videos),
  // switches the monitor on when monitoring is on, then ShowSettings. A
  // settings file too large to be one is left as it is, and `note` says so.
  void LoadSettings(host::MovieVariables &movie, const MonitorSwitch &monitor,
                    const SettingsNote &note = {});
  // Writes "URL Mon" as "True" or "False" and "Download Dir".
  void SaveSettings() const;
  // Pushes the settings into the movie's variables.
  void ShowSettings(host::MovieVariables &movie) const;

  const std::filesystem::path &RegistryFile() const { return registryFile_; }

private:
  std::filesystem::path registryFile_;
};

} // namespace vidtrawl::settings
