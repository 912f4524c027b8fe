#include "engine/Engine.h"

#include "base/RenameNoReplace.h"
#include "base/TrimBlanks.h"
#include "base/WholeFile.h"
#include "engine/ConfigFile.h"
#include "engine/ExtractorFormats.h"
#include "engine/FormatsLookup.h"
#include "extractor/ExtractorQuery.h"
#include "extractor/WhenAsked.h"
#include "list/AddressesInText.h"
#include "list/CleanFileName.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "list/ListFile.h"
#include "manifests/StreamChoice.h"
#include "net/ConnectionMap.h"
#include "net/PartialFile.h"
#include "net/Requester.h"
#include "net/Session.h"
#include "net/UrlHelpers.h"
#include "scheduler/ItemTransfer.h"
#include "scheduler/Scheduler.h"
#include "settings/PlatformPaths.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "sites/SiteTable.h"
#include "sites/VideoLookup.h"
#include "sites/VideoPageAddress.h"

#include <algorithm>

namespace vidtrawl::engine {

const std::size_t kListCapacity = list::DownloadList::kCapacity;
const std::size_t kMaxAddress = list::DownloadList::kMaxAddress;
const char *const kPartialSuffix = net::PartialFile::kSuffix;

std::vector<std::string> UnknownNameFields(std::string_view form) {
  return list::UnknownNameFields(form);
}

std::string TypedAddress(std::string_view text) {
  return net::WithHttpsScheme(base::TrimBlanks(text));
}

std::string_view QualityForms() {
  return manifests::kQualityForms;
}

bool IsQuality(std::string_view text) {
  return manifests::ParseQuality(text).has_value();
}

bool IsHeader(std::string_view text) {
  const std::size_t colon = text.find(':');
  return colon != std::string_view::npos && colon != 0 &&
         text.find_first_of("\r\n") == std::string_view::npos;
}

bool IsExtractor(std::string_view text) {
  return !base::TrimBlanks(text).empty() && text.find_first_of("\r\n") == std::string_view::npos;
}

std::string ExtractorText(const std::string &program, const std::optional<std::string> &version) {
  if (program == Config::kNoExtractor)
    return program;
  return program + (version ? " " + *version
                            : std::string(" (cannot be run: install a current yt-dlp, or name "
                                          "another program or none)"));
}

bool IsConnectToEntry(std::string_view entry) {
  return net::ConnectionMap::ParseEntry(entry).has_value();
}

std::vector<std::string> ConnectToFromEnvironment(bool *allWellFormed) {
  net::ConnectionMap map;
  bool good = true;
  if (const char *value = std::getenv("VIDTRAWL_CONNECT_TO"))
    good = map.AddList(value);
  if (allWellFormed != nullptr)
    *allWellFormed = good;
  return map.CurlEntries();
}

namespace {

net::ConnectionMap MapOf(const std::vector<std::string> &entries) {
  net::ConnectionMap map;
  for (const std::string &entry : entries)
    map.Add(entry);
  return map;
}

} // namespace

bool ConnectToLoopbackOnly(const std::vector<std::string> &entries) {
  return MapOf(entries).EverythingToLoopback();
}

namespace {

extractor::ExtractorSettings ExtractorOf(const Config &config) {
  extractor::ExtractorSettings settings;
  settings.program = config.extractor == Config::kNoExtractor ? std::string() : config.extractor;
  settings.timeLimit = std::chrono::seconds(config.extractorSeconds);
  using Entries = extractor::ExtractorSettings::Playlists;
  settings.playlists = config.extractorPlaylists == Config::Playlists::AddAll ? Entries::AddAll
                       : config.extractorPlaylists == Config::Playlists::PageOnly
                           ? Entries::PageOnly
                           : Entries::Ask;
  return settings;
}

} // namespace

// Every piece, wired once; the list's and the scheduler's news relayed to the observers.
struct Engine::Parts final : list::ListObserver {
  Parts(Hosts hosts, Options options)
      : registryFile(options.registryFile.value_or(settings::SettingsStore::DefaultFile())),
        trace(options.trace),
        session(hosts.loop, MapOf(options.connectTo), net::TimeLimits::FromEnvironment()),
        scheduler(items, session) {
    items.SetTrace(trace);
    scheduler.SetTrace(trace);
    items.Subscribe(this);
  }
  ~Parts() override { items.Unsubscribe(this); }

  template <typename Call> void Tell(Call call) {
    // A copy: an observer may leave while it is told.
    const std::vector<ItemObserver *> told = observers;
    for (ItemObserver *observer : told)
      call(*observer);
  }
  void ItemChanged(std::size_t index) override {
    Tell([&](ItemObserver &o) { o.ItemChanged(index); });
  }
  void ItemsAdded(std::size_t first, std::size_t count) override {
    Tell([&](ItemObserver &o) { o.ItemsAdded(first, count); });
  }
  void ItemsAboutToBeRemoved(std::size_t first, std::size_t count) override {
    Tell([&](ItemObserver &o) { o.ItemsAboutToBeRemoved(first, count); });
  }
  void ItemsRemoved(std::size_t first, std::size_t count) override {
    Tell([&](ItemObserver &o) { o.ItemsRemoved(first, count); });
  }
  void ItemsSwapped(std::size_t index) override {
    Tell([&](ItemObserver &o) { o.ItemsSwapped(index); });
  }
  void ListAboutToReset() override {
    Tell([](ItemObserver &o) { o.ListAboutToReset(); });
  }
  void ListReset() override {
    Tell([](ItemObserver &o) { o.ListReset(); });
  }
  void RunsMoved(const std::vector<list::Serial> &serials) {
    std::vector<std::size_t> indices;
    for (const list::Serial serial : serials)
      if (const std::optional<std::size_t> index = items.IndexOf(serial))
        indices.push_back(*index);
    std::sort(indices.begin(), indices.end());
    if (!indices.empty())
      Tell([&](ItemObserver &o) { o.RunsChanged(indices); });
  }

  ItemView ViewOf(const list::Item &item) const {
    ItemView view{.serial = item.serial,
                  .address = item.address,
                  .videoAddress = item.videoAddress,
                  .phase = item.phase,
                  .fileName = item.fileName,
                  .nameTyped = item.nameTyped,
                  .folder = item.folder,
                  .partName = item.partName,
                  .sizeKnown = item.sizeKnown,
                  .size = item.size,
                  .pagePercent = std::nullopt,
                  .started = false,
                  .received = item.received,
                  .total = item.total,
                  .fragments = item.fragments,
                  .fragmentsStored = item.fragmentsStored,
                  .bytesPerSecond = item.bytesPerSecond,
                  .transferSeconds = item.transferSeconds,
                  .retryIn = 0,
                  .alreadyThere = item.alreadyThere,
                  .fault = item.fault,
                  .handedRequestGone = item.handedOver && !scheduler.HasRequest(item.serial)};
    if (const scheduler::ItemRun *run = scheduler.RunOf(item.serial)) {
      view.pagePercent = run->pagePercent;
      view.started = run->reported;
      view.received = run->progress.bytes;
      view.total = run->progress.total;
      view.fragments = run->progress.fragments;
      view.fragmentsStored = run->progress.stored;
      view.bytesPerSecond = run->bytesPerSecond;
      view.transferSeconds = run->transferSeconds;
      if (run->retryAt)
        view.retryIn = static_cast<int>(
            std::max<std::int64_t>(1, std::chrono::ceil<std::chrono::seconds>(
                                          *run->retryAt - std::chrono::steady_clock::now())
                                          .count()));
    }
    return view;
  }

  std::filesystem::path registryFile;
  base::Trace trace;
  Config config;
  list::DownloadList items;
  net::Session session;
  scheduler::Scheduler scheduler;
  std::vector<ItemObserver *> observers;
  std::vector<PassObserver *> passObservers;
  std::unique_ptr<sites::VideoLookup> lookup;  // a lone page being resolved
  std::unique_ptr<FormatsLookup> formats;      // a lone address's formats being listed
  std::unique_ptr<ExtractorFormats> extracted; // a lone page the site extractor resolves
  manifests::Quality Quality() const {
    return manifests::ParseQuality(config.preferredQuality).value_or(manifests::Quality{});
  }
  std::unique_ptr<extractor::ExtractorVersion> version;
};

Engine::Engine(Hosts hosts, Options options)
    : parts_(std::make_unique<Parts>(hosts, std::move(options))) {
  Configure(parts_->config);
  parts_->scheduler.OnPassEnded([this](const scheduler::Scheduler::Summary &summary) {
    const PassSummary told{summary.completed, summary.failed, summary.failedItems};
    // A copy: an observer may leave while it is told.
    const std::vector<PassObserver *> observers = parts_->passObservers;
    for (PassObserver *observer : observers)
      observer->PassEnded(told);
  });
  parts_->scheduler.OnPassStarted([this] {
    const std::vector<PassObserver *> observers = parts_->passObservers;
    for (PassObserver *observer : observers)
      observer->PassStarted();
  });
  parts_->scheduler.OnPlaylistFound(
      [this](list::Serial serial, std::size_t videos, std::vector<std::string> others) {
        const PlaylistOffer offer{serial, videos, std::move(others)};
        const std::vector<PassObserver *> observers = parts_->passObservers;
        for (PassObserver *observer : observers)
          observer->PlaylistFound(offer);
      });
  parts_->scheduler.OnRunsMoved(
      [this](const std::vector<list::Serial> &serials) { parts_->RunsMoved(serials); });
}

Engine::~Engine() = default;

const Config &Engine::Settings() const {
  return parts_->config;
}

bool Engine::Configure(Config config) {
  config.simultaneousDownloads = Config::kJobs.Clamp(config.simultaneousDownloads);
  config.connections = Config::kConnections.Clamp(config.connections);
  config.retries = Config::kRetries.Clamp(config.retries);
  config.fragments = Config::kFragments.Clamp(config.fragments);
  std::optional<manifests::Quality> quality = manifests::ParseQuality(config.preferredQuality);
  const bool taken = quality.has_value();
  if (taken)
    config.preferredQuality = base::TrimBlanks(config.preferredQuality);
  else
    config.preferredQuality = parts_->config.preferredQuality;
  quality = manifests::ParseQuality(config.preferredQuality);
  Parts &p = *parts_;
  p.items.SetSiteRule(config.knownSitesOnly ? sites::SiteRule::KnownSitesOnly
                                            : sites::SiteRule::AnyPage);
  p.scheduler.SetJobLimit(config.simultaneousDownloads);
  p.scheduler.SetStreamOptions({quality.value_or(manifests::Quality{}), config.fragments});
  p.session.SetRules({config.connections, config.retries});
  if (config.speedLimit != p.session.Multi().SpeedLimit())
    p.session.Multi().SetSpeedLimit(config.speedLimit);
  p.session.SetClient(
      {config.proxy, config.userAgent, config.referer, config.headers, config.cookies});
  config.extractorSeconds = Config::kExtractorSeconds.Clamp(config.extractorSeconds);
  config.extractor = base::TrimBlanks(config.extractor);
  if (config.extractor.empty())
    config.extractor = Config{}.extractor;
  p.scheduler.SetExtractor(ExtractorOf(config));
  p.config = std::move(config);
  return taken;
}

SettingsRead Engine::LoadSettings() {
  const ConfigRead read = ReadConfig(parts_->registryFile);
  Configure(read.config);
  return read.tooLarge ? SettingsRead::TooLarge : SettingsRead::Read;
}

const std::filesystem::path &Engine::SettingsFile() const {
  return parts_->registryFile;
}

void Engine::SaveSettings() const {
  WriteConfig(parts_->registryFile, parts_->config);
}

std::string Engine::DownloadDir() const {
  return parts_->config.downloadDir.empty() ? settings::DefaultDownloadDir().string()
                                            : parts_->config.downloadDir;
}

std::string Engine::SettingsDownloadDir() const {
  return settings::SettingsStore(parts_->registryFile)
      .Get(settings::kSettingsKey, settings::kDownloadDirName, "");
}

std::string Engine::FrontEndValue(const std::string &name) const {
  return settings::SettingsStore(parts_->registryFile).Get(settings::kSettingsKey, name, "");
}

void Engine::SetFrontEndValue(const std::string &name, const std::string &value) {
  settings::SettingsStore(parts_->registryFile).Save(settings::kSettingsKey, name, value);
}

std::size_t Engine::Count() const {
  return parts_->items.Count();
}

ItemView Engine::ItemAt(std::size_t index) const {
  return parts_->ViewOf(parts_->items[index]);
}

std::optional<ItemView> Engine::Find(Serial serial) const {
  const list::Item *item = parts_->items.Find(serial);
  if (item == nullptr)
    return std::nullopt;
  return parts_->ViewOf(*item);
}

std::optional<std::size_t> Engine::IndexOf(Serial serial) const {
  return parts_->items.IndexOf(serial);
}

Serial Engine::SerialAt(std::size_t index) const {
  return parts_->items[index].serial;
}

std::vector<ItemView> Engine::Items() const {
  std::vector<ItemView> views;
  views.reserve(parts_->items.Count());
  for (const list::Item &item : parts_->items.Items())
    views.push_back(parts_->ViewOf(item));
  return views;
}

PhaseCounts Engine::Counts() const {
  PhaseCounts counts;
  for (const list::Item &item : parts_->items.Items())
    ++counts.byPhase[static_cast<std::size_t>(item.phase)];
  return counts;
}

void Engine::Subscribe(ItemObserver *observer) {
  std::vector<ItemObserver *> &observers = parts_->observers;
  if (observer != nullptr &&
      std::find(observers.begin(), observers.end(), observer) == observers.end())
    observers.push_back(observer);
}

void Engine::Unsubscribe(ItemObserver *observer) {
  std::erase(parts_->observers, observer);
}

void Engine::Subscribe(PassObserver *observer) {
  std::vector<PassObserver *> &observers = parts_->passObservers;
  if (observer != nullptr &&
      std::find(observers.begin(), observers.end(), observer) == observers.end())
    observers.push_back(observer);
}

void Engine::Unsubscribe(PassObserver *observer) {
  std::erase(parts_->passObservers, observer);
}

std::size_t Engine::Add(const std::vector<std::string> &addresses) {
  return parts_->items.Add(addresses);
}

namespace {

Added AddTo(list::DownloadList &items, const std::vector<std::string> &addresses,
            bool supportedOnly) {
  const std::size_t before = items.Count();
  Added added;
  added.dropped = items.Add(addresses, supportedOnly);
  for (std::size_t index = before; index < items.Count(); ++index)
    added.items.push_back(items[index].serial);
  return added;
}

} // namespace

Added Engine::AddPlaylist(const PlaylistOffer &offer) {
  return AddTo(parts_->items, offer.others, false);
}

Added Engine::AddText(const std::string &text, bool supportedOnly) {
  // An address typed without its scheme is taken as a browser's address bar takes it.
  std::vector<std::string> addresses = list::AddressesInText(text);
  for (std::string &address : addresses)
    address = net::WithHttpsScheme(address);
  return AddTo(parts_->items, addresses, supportedOnly);
}

bool Engine::IsVideoPageAddress(const std::string &text) const {
  return sites::IsVideoPageAddress(text, parts_->items.SiteRule());
}

void Engine::Remove(const std::vector<Serial> &serials, Leftovers leftovers) {
  if (leftovers == Leftovers::Keep) {
    parts_->scheduler.Release(serials);
    parts_->items.Remove(serials);
    return;
  }
  // What the removed items leave: their own partial files (and a stream's fragments) go with
  // them. A running download's job removes its own.
  std::vector<std::pair<std::string, std::string>> partials; // target, source
  for (const Serial serial : serials)
    if (const list::Item *item = parts_->items.Find(serial);
        item != nullptr && !item->partName.empty() && item->phase != Phase::Complete)
      partials.emplace_back((std::filesystem::path(item->folder) / item->partName).string(),
                            item->videoAddress);
  parts_->items.Remove(serials);
  for (const auto &[target, source] : partials)
    scheduler::RemoveLeftovers(target, source);
}

bool Engine::MoveUp(Serial serial) {
  return parts_->items.MoveUp(serial);
}

bool Engine::MoveDown(Serial serial) {
  return parts_->items.MoveDown(serial);
}

void Engine::ClearCompleted() {
  parts_->items.ClearCompleted();
}

void Engine::Retry(const std::vector<Serial> &serials) {
  // Only what went back to waiting is taken again: a running item has its job already.
  Start(parts_->items.Retry(serials));
}

RenameOutcome Engine::Rename(Serial serial, const std::string &typed) {
  using Refusal = RenameOutcome::Refusal;
  const list::Item *item = parts_->items.Find(serial);
  const std::optional<std::string> name = list::TypedFileName(typed);
  if (item == nullptr || !name)
    return {{}, Refusal::NoName};
  // A complete item's name is its file's: the file is renamed first, and only then the record.
  if (item->phase == Phase::Complete && item->fileName && *item->fileName != *name) {
    const std::filesystem::path folder(item->folder);
    std::error_code unknown;
    if (!std::filesystem::exists(
            std::filesystem::symlink_status(folder / *item->fileName, unknown)))
      return {*name, Refusal::FileGone};
    if (const int error = base::RenameNoReplace(folder / *item->fileName, folder / *name))
      return {*name, error == EEXIST ? Refusal::Taken : Refusal::Failed, error};
  }
  parts_->items.Rename(serial, *name);
  parts_->scheduler.Renamed(serial, *name);
  return {*name};
}

void Engine::SetNameTemplate(Serial serial, const std::string &form) {
  parts_->items.Update(serial, [&](list::Item &item) { item.nameTemplate = form; });
}

void Engine::SetRequest(Serial serial, base::ItemRequest request) {
  if (!parts_->items.IndexOf(serial))
    return;
  parts_->scheduler.SetRequest(serial, std::move(request));
  parts_->items.Update(serial, [](list::Item &item) { item.handedOver = true; });
}

void Engine::Pause(const std::vector<Serial> &serials) {
  parts_->scheduler.Pause(serials);
}

void Engine::Resume(const std::vector<Serial> &serials) {
  Start(parts_->scheduler.Resume(serials));
}

void Engine::StartPass() {
  parts_->scheduler.StartPass(DownloadDir());
}

bool Engine::Start(const std::vector<Serial> &serials) {
  return parts_->scheduler.Start(DownloadDir(), serials);
}

bool Engine::AnyToDownload() const {
  return parts_->scheduler.AnyTakeable();
}

bool Engine::ResumeAtStart() {
  if (!parts_->config.resumeAtStart)
    return false;
  std::vector<Serial> waiting;
  for (const list::Item &item : parts_->items.Items())
    if (item.phase == Phase::Waiting)
      waiting.push_back(item.serial);
  return Start(waiting);
}

PassProgress Engine::Progress() const {
  PassProgress progress;
  for (const Serial serial : parts_->scheduler.PassItems()) {
    const ItemView item = parts_->ViewOf(*parts_->items.Find(serial));
    progress.bytesPerSecond += item.bytesPerSecond;
    // A file larger than it was announced tells nothing of what is left.
    if (item.total == 0 || item.received > item.total)
      ++progress.unsized;
    else
      progress.bytesLeft += item.total - item.received;
  }
  if (progress.bytesPerSecond > 0)
    progress.secondsLeft = static_cast<double>(progress.bytesLeft) / progress.bytesPerSecond;
  return progress;
}

void Engine::RequestStop() {
  parts_->scheduler.Stop();
  parts_->lookup.reset();
  parts_->formats.reset();
}

bool Engine::Downloading() const {
  return parts_->scheduler.Running();
}

std::vector<Serial> Engine::RunningItems() const {
  return parts_->scheduler.RunningItems();
}

std::optional<Serial> Engine::Current() const {
  const std::vector<Serial> running = RunningItems();
  if (running.empty())
    return std::nullopt;
  return running.front();
}

ListRead Engine::LoadList(const std::filesystem::path &file) {
  ListRead read;
  const base::WholeFileText text = base::ReadWholeFile(file, list::kMaxListFile);
  using State = base::WholeFileText::State;
  if (text.state == State::Missing)
    return read;
  if (text.state == State::Unreadable) {
    read.outcome = ListRead::Outcome::Unreadable;
    return read;
  }
  list::ReadList list;
  if (text.state == State::TooLarge) {
    read.problem = ListRead::Problem::TooLarge;
    read.largest = list::kMaxListFile;
  } else {
    list = list::ReadListText(text.text, parts_->items.SiteRule());
    using Problem = list::ReadList::Problem;
    switch (list.problem) {
    case Problem::None:
      break;
    case Problem::NotAList:
      read.problem = ListRead::Problem::NotAList;
      break;
    case Problem::OtherVersion:
      read.problem = ListRead::Problem::OtherVersion;
      break;
    case Problem::NoItems:
      read.problem = ListRead::Problem::NoItems;
      break;
    case Problem::DamagedItem:
      read.problem = ListRead::Problem::DamagedItem;
      read.item = list.item;
      break;
    }
  }
  if (read.problem == ListRead::Problem::None) {
    read.outcome = ListRead::Outcome::Read;
    read.held = list.items.size();
    read.leftOut = parts_->items.Restore(std::move(list.items));
    return read;
  }
  // Kept for the user, under a name no later run reads.
  read.outcome = ListRead::Outcome::Damaged;
  std::filesystem::path aside = file;
  aside += ".damaged";
  for (int n = 2; std::filesystem::exists(aside) && n < 1000; ++n) {
    aside = file;
    aside += ".damaged-" + std::to_string(n);
  }
  std::error_code error;
  std::filesystem::rename(file, aside, error);
  if (!error)
    read.keptAs = aside;
  return read;
}

std::string Engine::ListText() const {
  // A running item is kept with how far its run has come: after a restart it shows its bytes.
  if (!Downloading())
    return list::ListText(parts_->items.Items());
  std::vector<list::Item> items = parts_->items.Items();
  for (list::Item &item : items)
    if (const scheduler::ItemRun *run = parts_->scheduler.RunOf(item.serial);
        run && run->reported) {
      item.received = run->progress.bytes;
      item.total = run->progress.total;
      item.fragments = run->progress.fragments;
      item.fragmentsStored = run->progress.stored;
    }
  return list::ListText(items);
}

bool Engine::SaveList(const std::filesystem::path &file) const {
  return base::ReplaceWholeFile(file, ListText());
}

std::filesystem::path Engine::DefaultListFile() {
  return list::DefaultListFile();
}

void Engine::ResolvePage(const std::string &url, std::function<void(const Resolution &)> done) {
  parts_->extracted.reset();
  const sites::Site *site = sites::SiteOfAddress(url, parts_->items.SiteRule());
  const extractor::ExtractorSettings settings = ExtractorOf(parts_->config);
  // The site extractor's answer: the address of the video format a download would take.
  const auto extract = [this, url, settings, done](const std::string &why, bool after) {
    parts_->trace(base::TraceTopic::Page, why + ": the site extractor decides");
    parts_->extracted = std::make_unique<ExtractorFormats>(
        parts_->session, settings, url, parts_->Quality(), after ? why : std::string(),
        parts_->trace, [done](const FormatList &list) {
          const auto chosen = std::find_if(list.formats.begin(), list.formats.end(),
                                           [](const Format &f) { return f.chosen; });
          if (list.fault || chosen == list.formats.end()) {
            done({std::nullopt, list.fault.value_or(base::Fault{base::FaultKind::Extractor,
                                                                "no format to download"})});
            return;
          }
          const bool joined = std::count_if(list.formats.begin(), list.formats.end(),
                                            [](const Format &f) { return f.chosen; }) > 1;
          done({chosen->address, std::nullopt,
                joined || !(chosen->protocol == "http" || chosen->protocol == "https")});
        });
  };
  if (const std::string why = extractor::WhyAsked(settings, site, url, nullptr); !why.empty()) {
    extract(why, false);
    return;
  }
  parts_->lookup = std::make_unique<sites::VideoLookup>(
      parts_->session, site, url, nullptr,
      [done, extract, settings, site, url,
       quality = parts_->Quality()](base::Outcome<pagesearch::ResolvedVideo> outcome) {
        if (outcome.Failed()) {
          if (const std::string why = extractor::WhyAsked(settings, site, url, &outcome.Failure());
              !why.empty())
            extract(why, true);
          else
            done({std::nullopt, outcome.Failure()});
          return;
        }
        const pagesearch::ResolvedVideo video = pagesearch::AtQuality(outcome.Value(), quality);
        done({video.address, std::nullopt, video.protocol != pagesearch::VideoProtocol::File});
      },
      net::Requester(net::Agent::Browser, parts_->trace));
}

void Engine::ListFormats(const std::string &url, std::function<void(const FormatList &)> done) {
  parts_->formats = std::make_unique<FormatsLookup>(
      parts_->session, sites::SiteOfAddress(url, parts_->items.SiteRule()), url,
      ExtractorOf(parts_->config), parts_->Quality(),
      net::Requester(net::Agent::Browser, parts_->trace),
      [done = std::move(done)](const FormatList &list) { done(list); });
}

} // namespace vidtrawl::engine

namespace vidtrawl::engine {

void Engine::ReadExtractorVersion(std::function<void(std::optional<std::string>)> done) {
  const extractor::ExtractorSettings settings = ExtractorOf(parts_->config);
  if (!settings.Enabled()) {
    parts_->version.reset();
    done(std::nullopt);
    return;
  }
  parts_->version = std::make_unique<extractor::ExtractorVersion>(parts_->session.Loop(), settings,
                                                                  std::move(done));
}

} // namespace vidtrawl::engine
