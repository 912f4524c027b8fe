#pragma once

namespace vidtrawl::settings {

// The names of the settings in the settings file (its keys are a contract with earlier
// versions: they stay as they are). Where the settings are kept, under HKEY_CURRENT_USER.
inline constexpr char kSettingsKey[] = "Software\\Quillmark Vidtrawl\\Settings";
inline constexpr char kUrlMonName[] = "URL Mon";
inline constexpr char kDownloadDirName[] = "Download Dir";
// "True": only the known sites, as the program had them, every other address
// refused without a fetch. Written only once it is on.
inline constexpr char kKnownSitesOnlyName[] = "Known Sites Only";
// How many items are downloaded at once.
inline constexpr char kSimultaneousDownloadsName[] = "Simultaneous Downloads";
// How a download is received: connections for one file, how often a
// transient failure is tried again (0: never), the most all downloads
// together receive a second (curl's --limit-rate form; empty: no limit).
inline constexpr char kConnectionsName[] = "Connections Per Download";
inline constexpr char kRetriesName[] = "Retries";
inline constexpr char kSpeedLimitName[] = "Speed Limit";
// How a streaming playlist is downloaded: its fragments fetched at once,
// and the quality ("best", "worst", or a height: the best not
// taller, as 720 or 720p).
inline constexpr char kFragmentsName[] = "Fragments At Once";
inline constexpr char kPreferredQualityName[] = "Preferred Quality";
// How requests present themselves and where they connect through; each is
// written once it is set. Headers: one "Name: value" a line.
inline constexpr char kProxyName[] = "Proxy";
inline constexpr char kUserAgentName[] = "User Agent";
inline constexpr char kRefererName[] = "Referer";
inline constexpr char kHeadersName[] = "Headers";
inline constexpr char kCookiesName[] = "Cookies";
// What the desktop program starts by itself: the waiting items after a restart, and what the
// user adds ("True" or "False").
inline constexpr char kResumeAtStartName[] = "Resume At Start";
inline constexpr char kStartAddedName[] = "Start What Is Added";

} // namespace vidtrawl::settings

namespace vidtrawl::settings {
// The site extractor: a program on PATH, its path, or "none"; and the seconds it may take.
inline constexpr char kExtractorName[] = "Extractor";
inline constexpr char kExtractorTimeLimitName[] = "Extractor Time Limit";
} // namespace vidtrawl::settings
