#include "engine/Engine.h"

#include "base/TrimBlanks.h"
#include "base/WholeFile.h"
#include "list/ListFile.h"
#include "media/FragmentStore.h"
#include "net/Session.h"
#include "scheduler/Scheduler.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "sites/SiteTable.h"
#include "sites/VideoLookup.h"
#include "sites/VideoPageAddress.h"

#include <algorithm>

namespace vidtrawl::engine {

// Every piece, wired once.
struct Engine::Parts {
  Parts(Hosts hosts, Options options)
      : settings(options.registryFile ? settings::Settings(*options.registryFile)
                                      : settings::Settings()),
        session(hosts.loop, options.connections, net::TimeLimits::FromEnvironment()),
        scheduler(items, session) {}

  settings::Settings settings;
  list::DownloadList items;
  net::Session session;
  scheduler::Scheduler scheduler;
  std::vector<PassObserver *> passObservers;
  std::unique_ptr<sites::VideoLookup> lookup; // a lone page being resolved
};

std::string ListFullText(std::size_t dropped) {
  const std::string what =
      dropped == 1 ? "1 address was" : std::to_string(dropped) + " addresses were";
  return "The download list is full (" + std::to_string(kListCapacity) + " items): " + what +
         " not added.";
}

Engine::Engine(Hosts hosts, Options options)
    : parts_(std::make_unique<Parts>(hosts, std::move(options))) {
  parts_->scheduler.OnPassEnded([this](const scheduler::Scheduler::Summary &summary) {
    const PassSummary told{summary.completed, summary.failed, summary.failedItems};
    // A copy: an observer may leave while it is told.
    const std::vector<PassObserver *> observers = parts_->passObservers;
    for (PassObserver *observer : observers)
      observer->PassEnded(told);
  });
}

Engine::~Engine() = default;

std::string Engine::LoadSettings() {
  std::string note;
  parts_->settings.Load([&note](const std::string &text) { note = text; });
  const settings::Settings &read = parts_->settings;
  SetKnownSitesOnly(read.knownSitesOnly);
  parts_->scheduler.SetJobLimit(read.simultaneousDownloads);
  parts_->session.SetRules({read.connections, read.retries});
  SetFragmentsAtOnce(read.fragments);
  if (!SetPreferredQuality(read.preferredQuality)) // the file's text is no quality
    SetPreferredQuality(settings::kPreferredQualityDefault);
  parts_->session.Multi().SetSpeedLimit(read.speedLimit);
  parts_->session.SetClient({read.proxy, read.userAgent, read.referer, read.headers, read.cookies});
  return note;
}

int Engine::ConnectionsPerDownload() const {
  return parts_->session.Rules().connections;
}

void Engine::SetConnectionsPerDownload(int connections) {
  net::DownloadRules rules = parts_->session.Rules();
  rules.connections = std::clamp(connections, 1, kMaxConnections);
  parts_->session.SetRules(rules);
  parts_->settings.connections = rules.connections;
}

int Engine::Retries() const {
  return parts_->session.Rules().retries;
}

void Engine::SetRetries(int retries) {
  net::DownloadRules rules = parts_->session.Rules();
  rules.retries = std::clamp(retries, 0, 100);
  parts_->session.SetRules(rules);
  parts_->settings.retries = rules.retries;
}

std::uint64_t Engine::SpeedLimit() const {
  return parts_->session.Multi().SpeedLimit();
}

void Engine::SetSpeedLimit(std::uint64_t bytesPerSecond) {
  parts_->session.Multi().SetSpeedLimit(bytesPerSecond);
  parts_->settings.speedLimit = bytesPerSecond;
}

const ClientOptions &Engine::Client() const {
  return parts_->session.Client();
}

void Engine::SetClient(const ClientOptions &client) {
  parts_->session.SetClient(client);
  settings::Settings &kept = parts_->settings;
  kept.proxy = client.proxy;
  kept.userAgent = client.userAgent;
  kept.referer = client.referer;
  kept.headers = client.headers;
  kept.cookies = client.cookieFile;
}

int Engine::FragmentsAtOnce() const {
  return parts_->scheduler.StreamOptions().fragmentsAtOnce;
}

void Engine::SetFragmentsAtOnce(int fragments) {
  media::StreamOptions options = parts_->scheduler.StreamOptions();
  options.fragmentsAtOnce = std::clamp(fragments, 1, kMaxConnections);
  parts_->scheduler.SetStreamOptions(options);
  parts_->settings.fragments = options.fragmentsAtOnce;
}

const std::string &Engine::PreferredQuality() const {
  return parts_->settings.preferredQuality;
}

bool Engine::SetPreferredQuality(const std::string &quality) {
  const std::optional<manifests::Quality> parsed = manifests::ParseQuality(quality);
  if (!parsed)
    return false;
  media::StreamOptions options = parts_->scheduler.StreamOptions();
  options.quality = *parsed;
  parts_->scheduler.SetStreamOptions(options);
  parts_->settings.preferredQuality = base::TrimBlanks(quality);
  return true;
}

bool Engine::KnownSitesOnly() const {
  return parts_->settings.knownSitesOnly;
}

void Engine::SetKnownSitesOnly(bool on) {
  parts_->settings.knownSitesOnly = on;
  parts_->items.SetSiteRule(on ? sites::SiteRule::KnownSitesOnly : sites::SiteRule::AnyPage);
}

int Engine::SimultaneousDownloads() const {
  return parts_->scheduler.JobLimit();
}

void Engine::SetSimultaneousDownloads(int downloads) {
  parts_->scheduler.SetJobLimit(downloads);
  parts_->settings.simultaneousDownloads = parts_->scheduler.JobLimit();
}

std::string Engine::FrontEndValue(const std::string &name) const {
  return settings::SettingsStore(parts_->settings.RegistryFile())
      .Get(settings::kSettingsKey, name, "");
}

void Engine::SetFrontEndValue(const std::string &name, const std::string &value) {
  settings::SettingsStore(parts_->settings.RegistryFile())
      .Save(settings::kSettingsKey, name, value);
}

void Engine::SaveSettings() const {
  parts_->settings.Save();
}

const std::string &Engine::DownloadDir() const {
  return parts_->settings.downloadDir;
}

void Engine::SetDownloadDir(const std::string &folder) {
  parts_->settings.downloadDir = folder;
}

bool Engine::MonitorEnabled() const {
  return parts_->settings.monitor;
}

void Engine::SetMonitorEnabled(bool on) {
  parts_->settings.monitor = on;
}

const DownloadList &Engine::List() const {
  return parts_->items;
}

void Engine::Subscribe(ListObserver *observer) {
  parts_->items.Subscribe(observer);
}

void Engine::Unsubscribe(ListObserver *observer) {
  parts_->items.Unsubscribe(observer);
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

std::size_t Engine::AddFromText(const std::string &text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text, start, end - start);
    start = end + 1;
  }
  return parts_->items.Add(lines, true);
}

bool Engine::IsVideoPageAddress(const std::string &text) const {
  return sites::IsVideoPageAddress(text, parts_->items.SiteRule());
}

std::span<const Site *const> Engine::Sites() {
  return sites::Sites();
}

void Engine::Remove(const std::vector<Serial> &serials) {
  // What the removed items leave: their own partial files (and a stream's
  // fragments) go with them. A running download's job removes its own.
  std::vector<std::pair<std::string, std::string>> partials; // target, source
  for (const Serial serial : serials)
    if (const Item *item = parts_->items.Find(serial);
        item != nullptr && !item->partName.empty() && item->phase != Phase::Complete)
      partials.emplace_back((std::filesystem::path(item->folder) / item->partName).string(),
                            item->videoAddress);
  parts_->items.Remove(serials);
  for (const auto &[target, source] : partials) {
    net::PartialFile::Remove(target, source);
    media::FragmentStore::Remove(target, source);
  }
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
  parts_->items.Retry(serials);
  parts_->scheduler.Requeue(serials);
}

std::optional<std::string> Engine::Rename(Serial serial, const std::string &typed) {
  std::optional<std::string> name = parts_->items.Rename(serial, typed);
  if (name)
    parts_->scheduler.Renamed(serial, *name);
  return name;
}

void Engine::SetNameTemplate(Serial serial, const std::string &form) {
  parts_->items.Update(serial, [&](Item &item) { item.nameTemplate = form; });
}

void Engine::Pause(const std::vector<Serial> &serials) {
  parts_->scheduler.Pause(serials);
}

void Engine::Resume(const std::vector<Serial> &serials) {
  parts_->scheduler.Resume(serials);
}

void Engine::StartPass() {
  if (parts_->scheduler.Running())
    return;
  const std::vector<PassObserver *> observers = parts_->passObservers;
  for (PassObserver *observer : observers)
    observer->PassStarted();
  parts_->scheduler.StartPass(parts_->settings.downloadDir);
}

void Engine::RequestStop() {
  parts_->scheduler.Stop();
  parts_->lookup.reset();
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

std::string Engine::LoadList(const std::filesystem::path &file) {
  const base::WholeFileText read = base::ReadWholeFile(file, list::kMaxListFile);
  using State = base::WholeFileText::State;
  if (read.state == State::Missing)
    return {};
  std::string problem;
  if (read.state == State::TooLarge)
    problem = "it is larger than " + std::to_string(list::kMaxListFile >> 20) + " MiB";
  else if (read.state == State::Unreadable)
    return "The download list in " + file.string() +
           " cannot be read; Vidtrawl starts with an empty list and leaves the file alone.";
  list::ReadList list;
  if (problem.empty()) {
    list = list::ReadListText(read.text, parts_->items.SiteRule());
    problem = list.problem;
  }
  if (problem.empty()) {
    const std::size_t read = list.items.size();
    const std::size_t left = parts_->items.Restore(std::move(list.items));
    if (left == 0)
      return {};
    return "The download list in " + file.string() + " holds " + std::to_string(read) + " items; " +
           std::to_string(left) + (left == 1 ? " was" : " were") + " left out (the list holds " +
           std::to_string(kListCapacity) + ", each address once and none longer than " +
           std::to_string(list::DownloadList::kMaxAddress) + " bytes).";
  }
  // Kept for the user, under a name no later run reads.
  std::filesystem::path aside = file;
  aside += ".damaged";
  for (int n = 2; std::filesystem::exists(aside) && n < 1000; ++n) {
    aside = file;
    aside += ".damaged-" + std::to_string(n);
  }
  std::error_code error;
  std::filesystem::rename(file, aside, error);
  return "The download list in " + file.string() + " could not be read (" + problem +
         "); Vidtrawl starts with an empty list. " +
         (error ? "The file was left where it is." : "The file is kept as " + aside.string() + ".");
}

bool Engine::SaveList(const std::filesystem::path &file) const {
  return base::ReplaceWholeFile(file, list::ListText(parts_->items.Items()));
}

std::filesystem::path Engine::DefaultListFile() {
  return list::DefaultListFile();
}

void Engine::ResolvePage(const std::string &url, std::function<void(const Resolution &)> done) {
  parts_->lookup = std::make_unique<sites::VideoLookup>(
      parts_->session, sites::SiteOfAddress(url, parts_->items.SiteRule()), url, nullptr,
      [done = std::move(done)](base::Outcome<pagesearch::ResolvedVideo> outcome) {
        if (outcome.Done())
          done({outcome.Value().address, std::nullopt});
        else
          done({std::nullopt, outcome.Failure()});
      });
}

} // namespace vidtrawl::engine
