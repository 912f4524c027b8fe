#pragma once

#include "base/ItemRequest.h"
#include "base/Outcome.h"
#include "base/Trace.h"
#include "extractor/ChildProcess.h"
#include "extractor/VideoInfo.h"
#include "host/EventLoop.h"
#include "net/ClientOptions.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vidtrawl::extractor {

// The site extractor program and how it is run.
struct ExtractorSettings {
  static constexpr const char *kDefaultProgram = "yt-dlp";
  static constexpr std::chrono::seconds kDefaultTimeLimit{60};
  // Its answer is read into memory: a larger one is refused.
  static constexpr std::size_t kMaxAnswer = 64 * 1024 * 1024;

  std::string program = kDefaultProgram; // a name looked for on PATH, or a path; empty: none
  std::chrono::milliseconds timeLimit = kDefaultTimeLimit;
  // Of a playlist: each video an item; only the page's own (--no-playlist); the page's own, and
  // the user asked about the others.
  enum class Playlists { AddAll, PageOnly, Ask };
  Playlists playlists = Playlists::AddAll;

  bool Enabled() const { return !program.empty(); }
  // The program as a user knows it: the last part of its path.
  std::string Name() const;

  friend bool operator==(const ExtractorSettings &, const ExtractorSettings &) = default;
};

// The program's arguments for an address: its info JSON, the request options (the user's, and a
// browser's for its item) passed on as its own options; the address after "--", so that none is
// read as an option.
std::vector<std::string> QueryArguments(const ExtractorSettings &settings,
                                        const net::ClientOptions &client,
                                        const std::string &address);

// The line a failed run leaves for the user: standard error's last line that is not blank, its
// terminal escapes and other control characters gone.
std::string LastErrorLine(std::string_view err);

// The extractor asked for what it knows of an address. Faults (kind Extractor, each naming the
// program): it is not installed (saying how to get it), it could not be started, it failed (its
// last error line), it took longer than its time or answered more than kMaxAnswer, its answer is
// no info JSON. It starts at once and ends on the loop; destroying it ends the program at once.
class ExtractorQuery {
public:
  using Done = std::function<void(base::Outcome<ExtractorAnswer>)>;

  // `request`: what a browser gave the item (nothing: none).
  ExtractorQuery(host::EventLoop &loop, const ExtractorSettings &settings,
                 const net::ClientOptions &client, const base::ItemRequest *request,
                 const std::string &address, base::Trace trace, Done done);

  ~ExtractorQuery();
  ExtractorQuery(const ExtractorQuery &) = delete;
  ExtractorQuery &operator=(const ExtractorQuery &) = delete;

private:
  void Ended(ProgramEnd end);

  ExtractorSettings settings_;
  // The private cookies file it was given, which goes with the query.
  std::string cookies_;
  base::Trace trace_;
  Done done_;
  std::unique_ptr<ChildProcess> process_;
};

// The program's version (its "--version" line), or nothing when it cannot be run; told on the
// loop. Destroying it drops the answer.
class ExtractorVersion {
public:
  using Done = std::function<void(std::optional<std::string>)>;
  ExtractorVersion(host::EventLoop &loop, const ExtractorSettings &settings, Done done);

private:
  Done done_;
  std::unique_ptr<ChildProcess> process_;
};

} // namespace vidtrawl::extractor
