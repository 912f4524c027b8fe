#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace vidtrawl::settings {

// Tells the user something about the settings file that needs no answer.
using SettingsNote = std::function<void(const std::string &text)>;

// Where the settings are kept, under HKEY_CURRENT_USER.
inline constexpr char kSettingsKey[] = "Software\\Quillmark Vidtrawl\\Settings";
inline constexpr char kUrlMonName[] = "URL Mon";
inline constexpr char kDownloadDirName[] = "Download Dir";
// "True": only the known sites, as the program had them, every other address
// refused without a fetch. Written only once it is on.
inline constexpr char kKnownSitesOnlyName[] = "Known Sites Only";
// How many items are downloaded at once (1 to 16).
inline constexpr char kSimultaneousDownloadsName[] = "Simultaneous Downloads";
inline constexpr int kSimultaneousDownloadsDefault = 3;
// Monitoring is on at the first start.
inline constexpr char kUrlMonDefault[] = "true";

// The user's settings, process-wide from start-up to exit: whether the
// clipboard is watched, the download folder, and how many downloads run at
// once. They are off, empty and the default until Load runs.
class Settings {
public:
  // The settings file of the store (SettingsStore::DefaultFile()).
  Settings();
  explicit Settings(std::filesystem::path registryFile);

  bool monitor = false;
  // The download folder exactly as read or chosen.
  std::string downloadDir;
  bool knownSitesOnly = false;
  int simultaneousDownloads = kSimultaneousDownloadsDefault;

  // Reads both values (defaults: monitoring on, $HOME/Downloaded Videos). A
  // settings file too large to be one is left as it is, and `note` says so.
  void Load(const SettingsNote &note = {});
  // Writes "URL Mon" as "True" or "False", "Download Dir" and
  // "Simultaneous Downloads" (and "Known Sites Only" when it is on); a file
  // that cannot be written (or read first) stays as it is, without a word.
  void Save() const;

  const std::filesystem::path &RegistryFile() const { return registryFile_; }

private:
  std::filesystem::path registryFile_;
};

} // namespace vidtrawl::settings
