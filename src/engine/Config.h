#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace vidtrawl::engine {

// A number setting's bounds.
struct Bounds {
  int least;
  int most;
  constexpr int Clamp(int value) const { return std::clamp(value, least, most); }
};

// Every setting of the engine as one value: what the settings file keeps, what the console's
// options and the desktop's settings change. Each default and each bound is here and nowhere
// else.
struct Config {
  static constexpr Bounds kJobs{1, 16};
  static constexpr Bounds kConnections{1, 16};
  static constexpr Bounds kRetries{0, 100};
  static constexpr Bounds kFragments{1, 16};
  static constexpr const char *kDefaultQuality = "best";
  static constexpr Bounds kExtractorSeconds{1, 3600};
  // The site extractor's setting that asks none.
  static constexpr const char *kNoExtractor = "none";

  // The clipboard is watched (on at the first start).
  bool monitor = true;
  // The download folder as read or chosen; empty: the platform's default.
  std::string downloadDir;
  // Only the known sites, every other address refused without a fetch.
  bool knownSitesOnly = false;
  // Items downloaded at once.
  int simultaneousDownloads = 3;
  // Connections for one file.
  int connections = 1;
  // How often a transient failure is tried again (0: never).
  int retries = 3;
  // The most all downloads together receive a second (0: no limit).
  std::uint64_t speedLimit = 0;
  // A stream's fragments fetched at once, and its quality ("best", "worst" or a height).
  int fragments = 4;
  std::string preferredQuality = kDefaultQuality;
  // How requests present themselves and where they connect through: "scheme://host:port" (empty:
  // curl's proxy variables), a user agent (empty: by the site), a referer, "Name: value" headers
  // sent with every request, a Netscape cookies.txt.
  std::string proxy;
  std::string userAgent;
  std::string referer;
  std::vector<std::string> headers;
  std::string cookies;
  // The site extractor asked for the video of a page the program's own rules find none on: a
  // program looked for on PATH, a path, or "none"; the longest it may take, in seconds; and what
  // becomes of a playlist's other videos: items of their own after the last, nothing (only the
  // page's own is asked for), or the front end's question (PassObserver::PlaylistFound) while the
  // page's own is downloaded.
  enum class Playlists { AddAll, PageOnly, Ask };
  std::string extractor = "yt-dlp";
  int extractorSeconds = 60;
  Playlists extractorPlaylists = Playlists::AddAll;
  // After a restart, the waiting items (those the last run left unfinished among them) go on by
  // themselves; what is added (typed, pasted, dropped) is started at once, alone.
  bool resumeAtStart = true;
  bool startAdded = true;

  friend bool operator==(const Config &, const Config &) = default;
};

} // namespace vidtrawl::engine
