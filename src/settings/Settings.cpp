#include "settings/Settings.h"

#include "base/WholeFile.h"
#include "settings/BooleanText.h"
#include "settings/PlatformPaths.h"
#include "settings/SettingsStore.h"

#include "base/ByteRate.h"
#include "base/NumberScan.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vidtrawl::settings {

Settings::Settings() : registryFile_(SettingsStore::DefaultFile()) {}

Settings::Settings(std::filesystem::path registryFile) : registryFile_(std::move(registryFile)) {}

void Settings::Load(const SettingsNote &note) {
  if (note && base::ReadWholeFile(registryFile_, kMaxSettingsFile).state ==
                  base::WholeFileText::State::TooLarge)
    note("The settings file " + registryFile_.string() + " is larger than " +
         std::to_string(kMaxSettingsFile / 1024) +
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
  const auto number = [&](const char *name, int fallback, int low, int high) {
    const std::optional<long long> value =
        base::ParseInteger<long long>(store.Get(kSettingsKey, name, ""));
    return value ? static_cast<int>(std::clamp<long long>(*value, low, high)) : fallback;
  };
  simultaneousDownloads = number(kSimultaneousDownloadsName, kSimultaneousDownloadsDefault, 1, 16);
  connections = number(kConnectionsName, 1, 1, 16);
  retries = number(kRetriesName, kRetriesDefault, 0, 100);
  speedLimit = base::ParseByteRate(store.Get(kSettingsKey, kSpeedLimitName, "")).value_or(0);
  fragments = number(kFragmentsName, kFragmentsDefault, 1, 16);
  preferredQuality = store.Get(kSettingsKey, kPreferredQualityName, kPreferredQualityDefault);
  proxy = store.Get(kSettingsKey, kProxyName, "");
  userAgent = store.Get(kSettingsKey, kUserAgentName, "");
  referer = store.Get(kSettingsKey, kRefererName, "");
  cookies = store.Get(kSettingsKey, kCookiesName, "");
  headers.clear();
  const std::string lines = store.Get(kSettingsKey, kHeadersName, "");
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    if (end > start)
      headers.push_back(lines.substr(start, end - start));
    start = end + 1;
  }
}

void Settings::Save() const {
  SettingsStore store(registryFile_);
  store.Save(kSettingsKey, kUrlMonName, BooleanText(monitor));
  store.Save(kSettingsKey, kDownloadDirName, downloadDir);
  store.Save(kSettingsKey, kSimultaneousDownloadsName, std::to_string(simultaneousDownloads));
  store.Save(kSettingsKey, kConnectionsName, std::to_string(connections));
  store.Save(kSettingsKey, kRetriesName, std::to_string(retries));
  store.Save(kSettingsKey, kSpeedLimitName, speedLimit > 0 ? base::ByteRateText(speedLimit) : "");
  store.Save(kSettingsKey, kFragmentsName, std::to_string(fragments));
  store.Save(kSettingsKey, kPreferredQualityName, preferredQuality);
  std::string lines;
  for (const std::string &header : headers)
    lines += (lines.empty() ? "" : "\n") + header;
  for (const auto &[name, value] : {std::pair{kProxyName, &proxy},
                                    {kUserAgentName, &userAgent},
                                    {kRefererName, &referer},
                                    {kHeadersName, &lines},
                                    {kCookiesName, &cookies}})
    if (!value->empty())
      store.Save(kSettingsKey, name, *value);
  if (knownSitesOnly)
    store.Save(kSettingsKey, kKnownSitesOnlyName, BooleanText(true));
}

} // namespace vidtrawl::settings
