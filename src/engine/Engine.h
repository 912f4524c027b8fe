#pragma once

#include "base/ItemRequest.h"
#include "base/Trace.h"
#include "engine/Config.h"
#include "engine/FormatSize.h"
#include "engine/Formats.h"
#include "engine/ItemObserver.h"
#include "engine/ItemTexts.h"
#include "engine/ItemView.h"
#include "engine/SamplePages.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::host {
class EventLoop;
} // namespace vidtrawl::host

// The engine's public face: everything a front end may use. A front end
// gives the engine its event loop, sends commands, and observes the
// download list and the passes. The engine talks to no user: it returns
// faults and counts, and the front end tells the user.
namespace vidtrawl::engine {

// The most items the list holds, and the longest address it takes.
extern const std::size_t kListCapacity;
extern const std::size_t kMaxAddress;
// A download is received into its file name with this added, and renamed when complete: a
// cancelled or failed item's bytes are under that name.
extern const char *const kPartialSuffix;

// The fields of a name template (SetNameTemplate) that stand for nothing known: each is named
// "NA" in the file's name. Each once, in the order written.
std::vector<std::string> UnknownNameFields(std::string_view form);

// An address as typed in an address bar: one with no scheme whose start is a host name
// ("example.org/watch/1", "localhost:8080/a") is taken as https://, as a browser takes it; any
// other text is as it was.
std::string TypedAddress(std::string_view text);

// The qualities a user may ask a stream in: "best, worst or a height such as 720 or 720p".
std::string_view QualityForms();
bool IsQuality(std::string_view text);
// Whether a text is a header every request may carry: "Name: value", on one line.
bool IsHeader(std::string_view text);
// Whether a text names a site extractor (the setting "Extractor"): a program looked for on PATH,
// its path, or "none"; not blank, on one line. What "none" or a program cannot run says is not
// checked here: the About page and -V tell it (ExtractorText).
bool IsExtractor(std::string_view text);
// The site extractor as the About page and -V tell it: "none", the program and its version line
// ("yt-dlp 2024.04.09"), or the program and that it cannot be run.
std::string ExtractorText(const std::string &program, const std::optional<std::string> &version);

// curl's --connect-to entries (HOST1:PORT1:HOST2:PORT2, empty parts matching any): whether one is
// well formed; and those of VIDTRAWL_CONNECT_TO (comma-separated), with whether all were.
bool IsConnectToEntry(std::string_view entry);
std::vector<std::string> ConnectToFromEnvironment(bool *allWellFormed = nullptr);
// Whether such entries send every connection to this machine (loopback), whatever its host.
bool ConnectToLoopbackOnly(const std::vector<std::string> &entries);

struct Hosts {
  host::EventLoop &loop;
};

struct Options {
  // Where connections go, as curl's --connect-to entries (the malformed are left out).
  std::vector<std::string> connectTo = ConnectToFromEnvironment();
  // The settings file; default: the user's registry file.
  std::optional<std::filesystem::path> registryFile;
  // Where the trace goes (every phase change, request, retry and page-search step); none:
  // nowhere.
  base::TraceSink *trace = nullptr;
};

// How a download pass ended.
struct PassSummary {
  int completed = 0;
  int failed = 0;
  // The items that failed in this pass, in the order they failed.
  std::vector<Serial> failedItems = {};
};

// A page the site extractor found to be a playlist, while the setting says to ask about its
// other videos (Config::Playlists::Ask): the item downloads the page's own video meanwhile.
struct PlaylistOffer {
  Serial item = 0;
  std::size_t videos = 0;          // in all, the page's own among them
  std::vector<std::string> others; // the addresses of the others, in the playlist's order
};

// Learns when a pass begins (whoever began it), and when it ends and how it went; and of a
// playlist whose other videos wait for the user's word (told from inside the engine's work: a
// question waits for the loop's next turn).
class PassObserver {
public:
  virtual ~PassObserver() = default;
  virtual void PassStarted() {}
  virtual void PassEnded(const PassSummary &summary) = 0;
  virtual void PlaylistFound(const PlaylistOffer & /*offer*/) {}
};

// The running pass as a whole: how fast all its downloads receive together, and what is left of
// the items it works on or will take, with the time that takes at that speed (nothing while no
// byte arrives). Items whose size is not known yet (not asked, or sent without one) count apart.
struct PassProgress {
  double bytesPerSecond = 0;
  std::uint64_t bytesLeft = 0;
  std::size_t unsized = 0;
  std::optional<double> secondsLeft;
};

// What an add took: the new items, in list order, and how many addresses did not fit.
struct Added {
  std::vector<Serial> items;
  std::size_t dropped = 0;
};

// How a rename went: the cleaned name taken, or why it was refused.
struct RenameOutcome {
  enum class Refusal {
    None,
    NoName,   // nothing usable is left of the name (or the item is gone)
    Taken,    // the folder holds a file of that name: it is not replaced
    FileGone, // the item is complete but its file is no longer in its folder
    Failed,   // the file could not be renamed: `error` says why
  };
  std::string name;
  Refusal refusal = Refusal::None;
  int error = 0; // Failed: the errno
  explicit operator bool() const { return refusal == Refusal::None; }
};

// What becomes of the bytes an unfinished download of a removed item holds.
enum class Leftovers { Delete, Keep };

// One page resolved without adding it: the video address, or the fault.
struct Resolution {
  std::optional<std::string> address; // of the quality configured, where the page offers several
  std::optional<Fault> fault;
  bool stream = false; // the address is a streaming playlist's, not a file's
  // As --resolve-only prints it: the address, or "-1", "-2" or "0".
  std::string Text() const { return ResolutionText(address, fault); }
};

// How many items of the list stand in each phase.
struct PhaseCounts {
  std::array<std::size_t, static_cast<std::size_t>(Phase::Paused) + 1> byPhase{};
  std::size_t operator[](Phase phase) const { return byPhase[static_cast<std::size_t>(phase)]; }
};

// How reading the settings file went: its values were taken, or it was too large to be one and
// was left as it is (the defaults hold, and are not saved over it).
enum class SettingsRead { Read, TooLarge };

// How reading the kept list went.
struct ListRead {
  enum class Outcome {
    Read,       // its items are the list's (some may have been left out)
    Missing,    // there is no such file: the list is empty
    Unreadable, // it could not be read: the list is empty, the file left alone
    Damaged,    // it is no such list: the list is empty, the file kept aside
  };
  enum class Problem {
    None,
    TooLarge,     // larger than the largest list
    NotAList,     // no JSON object
    OtherVersion, // a list of another version, or of another program
    NoItems,      // no items array
    DamagedItem,  // the item numbered `item` cannot be read
  };
  Outcome outcome = Outcome::Missing;
  Problem problem = Problem::None;
  std::size_t item = 0;         // DamagedItem: its number, from 1
  std::size_t held = 0;         // Read: the items the file holds
  std::size_t leftOut = 0;      // Read: those that did not fit (the list's capacity, the same
                                // address twice, an address too long)
  std::filesystem::path keptAs; // Damaged: where the file now is (empty: it stayed in place)
  std::size_t largest = 0;      // TooLarge: the largest list, in bytes
};

class Engine {
public:
  Engine(Hosts hosts, Options options = {});
  ~Engine();
  Engine(const Engine &) = delete;
  Engine &operator=(const Engine &) = delete;

  // The settings, as one value. Configure takes a new one: numbers are brought within their
  // bounds and a quality of no known form (QualityForms) is refused (false; the rest is taken);
  // each holds at once, the speed limit also for the downloads running.
  const Config &Settings() const;
  bool Configure(Config config);
  // Reads the settings file into the configuration, and writes it.
  SettingsRead LoadSettings();
  void SaveSettings() const;
  const std::filesystem::path &SettingsFile() const;
  // The download folder the next pass uses: the configured one, else the platform's default.
  std::string DownloadDir() const;
  // The download folder the settings file itself names; empty when it names none.
  std::string SettingsDownloadDir() const;
  // A front end's own values (its window's size, say), kept in the same
  // settings section under names of its choosing: read from the file as it
  // is now (empty when missing), written into it at once, the other
  // settings left as they are saved.
  std::string FrontEndValue(const std::string &name) const;
  void SetFrontEndValue(const std::string &name, const std::string &value);

  // The list, by index (in list order) or by serial; and its observers.
  std::size_t Count() const;
  bool Empty() const { return Count() == 0; }
  ItemView ItemAt(std::size_t index) const;
  std::optional<ItemView> Find(Serial serial) const;
  std::optional<std::size_t> IndexOf(Serial serial) const;
  Serial SerialAt(std::size_t index) const;
  std::vector<ItemView> Items() const;
  // How many items stand in each phase.
  PhaseCounts Counts() const;
  void Subscribe(ItemObserver *observer);
  void Unsubscribe(ItemObserver *observer);
  void Subscribe(PassObserver *observer);
  void Unsubscribe(PassObserver *observer);

  // Adds page addresses, each once (blanks and line ends around it removed); an address of no
  // supported site is listed as unsupported. How many did not fit in the list.
  std::size_t Add(const std::vector<std::string> &addresses);
  // A playlist's other videos, as the user asked: added after the last.
  Added AddPlaylist(const PlaylistOffer &offer);
  // Adds the addresses a text holds, picked out of it as a link grabber does (a paste, a drop, a
  // typed line; a text of no http or https address, each of its lines): all of them, or those of
  // a supported site alone.
  Added AddText(const std::string &text, bool supportedOnly);
  // Whether a copied text is a video page's address the clipboard monitor
  // may take.
  bool IsVideoPageAddress(const std::string &text) const;

  // Editing, acting on the running downloads at once: a removed item's
  // download ends and its partial file goes, or stays in the folder (a later
  // download of its address goes on from it).
  void Remove(const std::vector<Serial> &serials, Leftovers leftovers = Leftovers::Delete);
  bool MoveUp(Serial serial);
  bool MoveDown(Serial serial);
  void ClearCompleted();
  // Failed and cancelled items wait again and are started (Start). Others are left as they are.
  void Retry(const std::vector<Serial> &serials);
  // The user's name for an item's file, cleaned: one being received takes it
  // when it is complete; a complete one's file is renamed at once, never over
  // another file.
  RenameOutcome Rename(Serial serial, const std::string &typed);
  // The form of the item's file name, made when its file is known: {title},
  // {id}, {site} and {ext} stand for the video's.
  void SetNameTemplate(Serial serial, const std::string &form);
  // What a browser gave the item: its requests carry it from then on, while the program runs and
  // the item is listed (it is kept nowhere else).
  void SetRequest(Serial serial, base::ItemRequest request);
  // A paused item is downloaded by no pass until it is resumed; a running
  // one stops at once and keeps its bytes for a range request later. Resumed
  // items are started (Start).
  void Pause(const std::vector<Serial> &serials);
  void Resume(const std::vector<Serial> &serials);

  // Starts a download pass over the list into the download folder and
  // returns at once: up to the configured number of items at a time, in list
  // order, until none is left; the pass's observers hear of its end.
  // Nothing while one runs.
  void StartPass();
  // Starts these items alone: the running pass takes them, else a pass of
  // their own (and of those started while it runs) begins. Complete, failed
  // and paused items are left as they are; false when none was left.
  bool Start(const std::vector<Serial> &serials);
  // Whether a pass would find anything to do: an item neither complete,
  // failed nor paused.
  bool AnyToDownload() const;
  // After a restart: the waiting items (those the last run left unfinished
  // among them) are started, when the configuration says so; whether any was.
  bool ResumeAtStart();
  // A stop the user has confirmed: every running download ends at once and
  // the pass with them.
  void RequestStop();
  bool Downloading() const;
  // The running pass as a whole (all zero while none runs).
  PassProgress Progress() const;
  // The items being downloaded, in list order; the first of them.
  std::vector<Serial> RunningItems() const;
  std::optional<Serial> Current() const;

  // The list kept between runs (the desktop program's). Reading takes the
  // file's items in place of the list's; a file that is no list leaves the
  // list empty and is moved aside to FILE.damaged. Writing replaces the file
  // at once; false when it could not. The text is what a writing writes.
  ListRead LoadList(const std::filesystem::path &file);
  bool SaveList(const std::filesystem::path &file) const;
  std::string ListText() const;
  static std::filesystem::path DefaultListFile();

  // The site extractor's version (its --version line), told on the loop; nothing when none is
  // set or it cannot be run. The next call, or destroying the engine, drops the one before.
  void ReadExtractorVersion(std::function<void(std::optional<std::string>)> done);

  // One page resolved without adding it; `done` hears the result on the
  // loop. The next call, or destroying the engine, drops the one before.
  void ResolvePage(const std::string &url, std::function<void(const Resolution &)> done);
  // What an address offers its video in (a page's files, a stream's variants), the one the
  // configured quality takes marked; `done` hears it on the loop. The next call, or destroying
  // the engine, drops the one before.
  void ListFormats(const std::string &url, std::function<void(const FormatList &)> done);

private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

} // namespace vidtrawl::engine
