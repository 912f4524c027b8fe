#pragma once

#include "base/Fault.h"
#include "list/DownloadList.h"
#include "list/FormatSize.h"
#include "list/Item.h"
#include "list/ItemText.h"
#include "list/ListObserver.h"
#include "net/ConnectionMap.h"
#include "net/PartialFile.h"
#include "resolve/Site.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vidtrawl::host {
class MessageBox;
class Pump;
} // namespace vidtrawl::host

// The engine's public face: everything a front end may use. A front end
// gives the engine its pump and its message box, sends commands, and
// observes the download list.
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
using list::Serial;
using list::SizeKnown;
using list::SizeText;
using list::StatusText;
using list::TransferPercent;
using net::ConnectionMap;
using resolve::SamplePage;
using resolve::Site;

// A download is received into its file name with this added, and renamed
// when complete: a cancelled or failed item's bytes are under that name.
inline constexpr const char *kPartialSuffix = net::PartialFile::kSuffix;
// The most items the list holds.
inline constexpr std::size_t kListCapacity = list::DownloadList::kCapacity;

struct Hosts {
  host::Pump &pump;
  host::MessageBox &messages;
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
};

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

  // Settings: monitoring and the download folder. LoadSettings reads them
  // (a settings file too large to be one is reported and left alone).
  void LoadSettings();
  void SaveSettings() const;
  const std::string &DownloadDir() const;
  void SetDownloadDir(const std::string &folder);
  bool MonitorEnabled() const;
  void SetMonitorEnabled(bool on);
  // Only the known sites, every other address refused without a fetch (the
  // setting "Known Sites Only"); else also video files and any other page.
  bool KnownSitesOnly() const;
  void SetKnownSitesOnly(bool on);

  // The list, and its observers.
  const DownloadList &List() const;
  void Subscribe(ListObserver *observer);
  void Unsubscribe(ListObserver *observer);

  // Adds page addresses (see DownloadList::Add); when the list is full the
  // user is told how many were not added.
  void Add(const std::vector<std::string> &addresses);
  // Adds each line of a text (a drop, a paste) that names a supported site.
  void AddFromText(const std::string &text);
  // Whether a copied text is a video page's address the clipboard monitor
  // may take (see resolve/VideoPageAddress.h).
  bool IsVideoPageAddress(const std::string &text) const;
  // The supported sites, in the order in which addresses are tested.
  static std::span<const Site *const> Sites();

  // Editing; removing the item the pass works on ends its transfer.
  void Remove(const std::vector<Serial> &serials);
  bool MoveUp(Serial serial);
  bool MoveDown(Serial serial);
  void ClearCompleted();
  // Failed and cancelled items wait again for the next pass.
  void Retry(const std::vector<Serial> &serials);
  std::optional<std::string> Rename(Serial serial, const std::string &typed);

  // A download pass over the list into the download folder; it runs inside
  // this call, the host's pump with it. Nothing while one runs.
  PassSummary RunPass();
  // A stop the user has confirmed: the running pass ends at once.
  void RequestStop();
  bool Downloading() const;
  // The item the pass works on.
  std::optional<Serial> Current() const;

  // The list kept between runs (the desktop program's). Reading takes the
  // file's items in place of the list's; a file that is no list leaves the
  // list empty, is moved aside to FILE.damaged and the note says so (empty
  // text: nothing to tell). Writing replaces the file at once; false when
  // it could not.
  std::string LoadList(const std::filesystem::path &file);
  bool SaveList(const std::filesystem::path &file) const;
  static std::filesystem::path DefaultListFile();

  // One page resolved without adding it.
  Resolution ResolvePage(const std::string &url);

private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

} // namespace vidtrawl::engine
