#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
// How a download is received: connections for one file (1 to 16), how often
// a transient failure is tried again (0: never), the most all downloads
// together receive a second (curl's --limit-rate form; empty: no limit).
inline constexpr char kConnectionsName[] = "Connections Per Download";
inline constexpr char kRetriesName[] = "Retries";
inline constexpr int kRetriesDefault = 3;
inline constexpr char kSpeedLimitName[] = "Speed Limit";
// How a streaming playlist is downloaded: its fragments fetched at once (1
// to 16), and the quality ("best", "worst", or a height: the best not
// taller, as 720 or 720p).
inline constexpr char kFragmentsName[] = "Fragments At Once";
inline constexpr int kFragmentsDefault = 4;
inline constexpr char kPreferredQualityName[] = "Preferred Quality";
inline constexpr char kPreferredQualityDefault[] = "best";
// How requests present themselves and where they connect through; each is
// written only when it is set. Headers: one "Name: value" a line.
inline constexpr char kProxyName[] = "Proxy";
inline constexpr char kUserAgentName[] = "User Agent";
inline constexpr char kRefererName[] = "Referer";
inline constexpr char kHeadersName[] = "Headers";
inline constexpr char kCookiesName[] = "Cookies";
// Monitoring is on at the first start.
inline constexpr char kUrlMonDefault[] = "true";

// The user's settings, process-wide from start-up to exit: whether the
// clipboard is watched, the download folder, how many downloads run at once
// and how each is received and asked for. They are off, empty and the
// default until Load runs.
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
  int connections = 1;
  int retries = kRetriesDefault;
  std::uint64_t speedLimit = 0; // bytes per second; 0: none
  int fragments = kFragmentsDefault;
  std::string preferredQuality = kPreferredQualityDefault;
  std::string proxy;
  std::string userAgent;
  std::string referer;
  std::vector<std::string> headers;
  std::string cookies;

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
