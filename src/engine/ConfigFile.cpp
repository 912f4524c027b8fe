#include "engine/ConfigFile.h"

#include "base/ByteRate.h"
#include "base/NumberScan.h"
#include "base/WholeFile.h"
#include "settings/BooleanText.h"
#include "settings/PlatformPaths.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <optional>
#include <utility>

namespace vidtrawl::engine {

using namespace settings;

ConfigRead ReadConfig(const std::filesystem::path &file) {
  ConfigRead read;
  Config &config = read.config;
  read.tooLarge =
      base::ReadWholeFile(file, kMaxSettingsFile).state == base::WholeFileText::State::TooLarge;
  const SettingsStore store(file);
  const auto text = [&](const char *name, const std::string &fallback) {
    return store.Get(kSettingsKey, name, fallback);
  };
  // A text that is no boolean leaves monitoring off for this run.
  config.monitor = BooleanFromText(text(kUrlMonName, "true")).value_or(false);
  config.downloadDir = text(kDownloadDirName, DefaultDownloadDir().string());
  config.knownSitesOnly = BooleanFromText(text(kKnownSitesOnlyName, "")).value_or(false);
  const auto number = [&](const char *name, int fallback, Bounds bounds) {
    const std::optional<long long> value = base::ParseInteger<long long>(text(name, ""));
    return value ? static_cast<int>(std::clamp<long long>(*value, bounds.least, bounds.most))
                 : fallback;
  };
  config.simultaneousDownloads =
      number(kSimultaneousDownloadsName, config.simultaneousDownloads, Config::kJobs);
  config.connections = number(kConnectionsName, config.connections, Config::kConnections);
  config.retries = number(kRetriesName, config.retries, Config::kRetries);
  config.speedLimit = base::ParseByteRate(text(kSpeedLimitName, "")).value_or(0);
  config.fragments = number(kFragmentsName, config.fragments, Config::kFragments);
  config.preferredQuality = text(kPreferredQualityName, config.preferredQuality);
  config.extractor = text(kExtractorName, config.extractor);
  if (config.extractor.empty())
    config.extractor = Config{}.extractor;
  config.extractorSeconds =
      number(kExtractorTimeLimitName, config.extractorSeconds, Config::kExtractorSeconds);
  config.proxy = text(kProxyName, "");
  config.userAgent = text(kUserAgentName, "");
  config.referer = text(kRefererName, "");
  config.cookies = text(kCookiesName, "");
  config.resumeAtStart = BooleanFromText(text(kResumeAtStartName, "true")).value_or(true);
  config.startAdded = BooleanFromText(text(kStartAddedName, "true")).value_or(true);
  const std::string lines = text(kHeadersName, "");
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    if (end > start)
      config.headers.push_back(lines.substr(start, end - start));
    start = end + 1;
  }
  return read;
}

void WriteConfig(const std::filesystem::path &file, const Config &config) {
  SettingsStore store(file);
  store.Save(kSettingsKey, kUrlMonName, BooleanText(config.monitor));
  store.Save(kSettingsKey, kDownloadDirName, config.downloadDir);
  store.Save(kSettingsKey, kSimultaneousDownloadsName,
             std::to_string(config.simultaneousDownloads));
  store.Save(kSettingsKey, kConnectionsName, std::to_string(config.connections));
  store.Save(kSettingsKey, kRetriesName, std::to_string(config.retries));
  store.Save(kSettingsKey, kSpeedLimitName,
             config.speedLimit > 0 ? base::ByteRateText(config.speedLimit) : "");
  store.Save(kSettingsKey, kFragmentsName, std::to_string(config.fragments));
  store.Save(kSettingsKey, kPreferredQualityName, config.preferredQuality);
  store.Save(kSettingsKey, kExtractorName, config.extractor);
  store.Save(kSettingsKey, kExtractorTimeLimitName, std::to_string(config.extractorSeconds));
  store.Save(kSettingsKey, kResumeAtStartName, BooleanText(config.resumeAtStart));
  store.Save(kSettingsKey, kStartAddedName, BooleanText(config.startAdded));
  std::string lines;
  for (const std::string &header : config.headers)
    lines += (lines.empty() ? "" : "\n") + header;
  for (const auto &[name, value] : {std::pair{kProxyName, &config.proxy},
                                    {kUserAgentName, &config.userAgent},
                                    {kRefererName, &config.referer},
                                    {kHeadersName, &lines},
                                    {kCookiesName, &config.cookies}})
    // One cleared is cleared in the file too; one never set is not written.
    if (!value->empty() || !store.Get(kSettingsKey, name, "").empty())
      store.Save(kSettingsKey, name, *value);
  if (config.knownSitesOnly || !store.Get(kSettingsKey, kKnownSitesOnlyName, "").empty())
    store.Save(kSettingsKey, kKnownSitesOnlyName, BooleanText(config.knownSitesOnly));
}

} // namespace vidtrawl::engine
