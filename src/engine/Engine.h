#pragma once

#include "base/Fault.h"
#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/Item.h"
#include "list/ItemText.h"
#include "list/ListObserver.h"
#include "manifests/StreamChoice.h"
#include "net/ClientOptions.h"
#include "net/ConnectionMap.h"
#include "net/PartialFile.h"
#include "sites/Site.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vidtrawl::host {
class EventLoop;
} // namespace vidtrawl::host

// The engine's public face: everything a front end may use. A front end
// gives the engine its event loop, sends commands, and observes the
// download list and the passes. The engine talks to no user: it returns
// faults and counts, and the front end tells the user.
namespace vidtrawl::engine {

using base::Fault;
using base::FaultKind;
using list::AddressText;
using list::DownloadList;
using list::FileNamePlaceholder;
using list::FileNameText;
using list::FormatSize;
using list::Item;
using list::ListObserver;
using list::LocaleDecimalSeparator;
using list::Phase;
using list::PhaseName;
using list::ReasonText;
using list::SecondsLeft;
using list::Serial;
using list::SizeKnown;
using list::SizeText;
using list::StatusText;
using list::TransferPercent;
using net::ClientOptions;
using net::ConnectionMap;
using sites::SamplePage;
using sites::Site;
using sites::SiteKind;

// A download is received into its file name with this added, and renamed
// when complete: a cancelled or failed item's bytes are under that name.
inline constexpr const char *kPartialSuffix = net::PartialFile::kSuffix;
// The most items the list holds.
inline constexpr std::size_t kListCapacity = list::DownloadList::kCapacity;

// How many items are downloaded at once, at most, and connections one file uses.
inline constexpr int kMaxSimultaneousDownloads = 16;
inline constexpr int kMaxConnections = 16;
// The qualities a user may ask a stream in: "best, worst or a height such as 720 or 720p".
inline constexpr std::string_view kQualityForms = manifests::kQualityForms;
inline bool IsQuality(std::string_view text) {
  return manifests::ParseQuality(text).has_value();
}

struct Hosts {
  host::EventLoop &loop;
};

struct Options {
  // Where connections go (curl's --connect-to entries).
  ConnectionMap connections = ConnectionMap::FromEnvironment();
  // The settings file; default: the user's registry file.
  std::optional<std::filesystem::path> registryFile;
};

// How a download pass ended.
struct PassSummary {
  int completed = 0;
  int failed = 0;
  // The items that failed in this pass, in the order they failed.
  std::vector<Serial> failedItems = {};
};

// Learns when a pass starts and ends, and how it went.
class PassObserver {
public:
  virtual ~PassObserver() = default;
  virtual void PassStarted() {}
  virtual void PassEnded(const PassSummary &summary) = 0;
};

// What a front end tells when the list was full: "The download list is full
// (32767 items): N addresses were not added."
std::string ListFullText(std::size_t dropped);

// One page resolved without adding it: the video address, or the fault.
struct Resolution {
  std::optional<std::string> address;
  std::optional<Fault> fault;
  // As --resolve-only prints it: the address, or "-1", "-2" or "0".
  std::string Text() const { return list::ResolutionText(address, fault); }
};

class Engine {
public:
  Engine(Hosts hosts, Options options = {});
  ~Engine();
  Engine(const Engine &) = delete;
  Engine &operator=(const Engine &) = delete;

  // Settings: monitoring, the download folder and how many downloads run at
  // once. LoadSettings reads them; a settings file too large to be one is
  // left alone, and the text returned says so (empty: nothing to tell).
  std::string LoadSettings();
  void SaveSettings() const;
  const std::string &DownloadDir() const;
  void SetDownloadDir(const std::string &folder);
  bool MonitorEnabled() const;
  void SetMonitorEnabled(bool on);
  // Only the known sites, every other address refused without a fetch (the
  // setting "Known Sites Only"); else also video files and any other page.
  bool KnownSitesOnly() const;
  void SetKnownSitesOnly(bool on);
  // 1 to kMaxSimultaneousDownloads; 1 downloads one item after the other.
  int SimultaneousDownloads() const;
  void SetSimultaneousDownloads(int downloads);
  // How each download is received, and how requests present themselves
  // (the settings of these names, LoadSettings reads them); each holds at
  // once, the speed limit also for the downloads running. Connections for
  // one file: 1 to kMaxConnections. Retries of a transient failure: 0 to
  // 100. The speed limit: the most all downloads together receive a second
  // (0: none).
  int ConnectionsPerDownload() const;
  void SetConnectionsPerDownload(int connections);
  int Retries() const;
  void SetRetries(int retries);
  std::uint64_t SpeedLimit() const;
  void SetSpeedLimit(std::uint64_t bytesPerSecond);
  const ClientOptions &Client() const;
  void SetClient(const ClientOptions &client);
  // How streaming playlists are downloaded (the settings "Fragments At
  // Once" and "Preferred Quality"): fragments fetched at once, 1 to
  // kMaxConnections; and the quality as the user wrote it (kQualityForms).
  // Text of no such form changes nothing: false.
  int FragmentsAtOnce() const;
  void SetFragmentsAtOnce(int fragments);
  const std::string &PreferredQuality() const;
  bool SetPreferredQuality(const std::string &quality);
  // A front end's own values (its window's size, say), kept in the same
  // settings section under names of its choosing: read from the file as it
  // is now (empty when missing), written into it at once, the other
  // settings left as they are saved.
  std::string FrontEndValue(const std::string &name) const;
  void SetFrontEndValue(const std::string &name, const std::string &value);

  // The list, and its observers.
  const DownloadList &List() const;
  void Subscribe(ListObserver *observer);
  void Unsubscribe(ListObserver *observer);
  void Subscribe(PassObserver *observer);
  void Unsubscribe(PassObserver *observer);

  // Adds page addresses (see DownloadList::Add); how many did not fit in
  // the list (ListFullText tells it).
  std::size_t Add(const std::vector<std::string> &addresses);
  // Adds each line of a text (a drop, a paste) that names a supported site;
  // how many did not fit.
  std::size_t AddFromText(const std::string &text);
  // Whether a copied text is a video page's address the clipboard monitor
  // may take (see sites/VideoPageAddress.h).
  bool IsVideoPageAddress(const std::string &text) const;
  // The supported sites, in the order in which addresses are tested.
  static std::span<const Site *const> Sites();

  // Editing, acting on the running downloads at once: a removed item's
  // download ends and its partial file goes.
  void Remove(const std::vector<Serial> &serials);
  bool MoveUp(Serial serial);
  bool MoveDown(Serial serial);
  void ClearCompleted();
  // Failed and cancelled items wait again; a running pass takes them.
  void Retry(const std::vector<Serial> &serials);
  // The user's name for an item's file; one being received takes it when
  // it is complete. The cleaned name, or nothing when refused.
  std::optional<std::string> Rename(Serial serial, const std::string &typed);
  // The form of the item's file name, made when its file is known: {title},
  // {id}, {site} and {ext} stand for the video's (see list/FileNaming.h).
  void SetNameTemplate(Serial serial, const std::string &form);
  // A paused item is downloaded by no pass until it is resumed; a running
  // one stops at once and keeps its bytes for a range request later.
  void Pause(const std::vector<Serial> &serials);
  void Resume(const std::vector<Serial> &serials);

  // Starts a download pass over the list into the download folder and
  // returns at once: up to SimultaneousDownloads() items at a time, in list
  // order, until none is left; the pass's observers hear of its end.
  // Nothing while one runs.
  void StartPass();
  // A stop the user has confirmed: every running download ends at once and
  // the pass with them.
  void RequestStop();
  bool Downloading() const;
  // The items being downloaded, in list order; the first of them.
  std::vector<Serial> RunningItems() const;
  std::optional<Serial> Current() const;

  // The list kept between runs (the desktop program's). Reading takes the
  // file's items in place of the list's; a file that is no list leaves the
  // list empty, is moved aside to FILE.damaged and the note says so (empty
  // text: nothing to tell). Writing replaces the file at once; false when
  // it could not.
  std::string LoadList(const std::filesystem::path &file);
  bool SaveList(const std::filesystem::path &file) const;
  static std::filesystem::path DefaultListFile();

  // One page resolved without adding it; `done` hears the result on the
  // loop. The next call, or destroying the engine, drops the one before.
  void ResolvePage(const std::string &url, std::function<void(const Resolution &)> done);

private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

} // namespace vidtrawl::engine
