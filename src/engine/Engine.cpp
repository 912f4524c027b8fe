#include "engine/Engine.h"

#include "base/TrimBlanks.h"
#include "host/MessageBox.h"
#include "host/Pump.h"
#include "list/ListFile.h"
#include "net/Session.h"
#include "resolve/PageResolver.h"
#include "resolve/RedirectResolver.h"
#include "resolve/SiteTable.h"
#include "resolve/VideoPageAddress.h"
#include "scheduler/DownloadPass.h"
#include "settings/RegistryFile.h"
#include "settings/Settings.h"

#include <algorithm>

namespace vidtrawl::engine {

// Every piece, wired once.
struct Engine::Parts {
  Parts(Hosts hosts, Options options)
      : hosts(hosts), settings(options.registryFile ? settings::Settings(*options.registryFile)
                                                    : settings::Settings()),
        session(hosts.pump, options.connections, net::TimeLimits::FromEnvironment()),
        player(hosts.pump, hosts.messages, options.connections), pages(session, player),
        pass(items, pages, session) {
    player.SetTimeout(
        std::min(resolve::RedirectResolver::kDefaultTimeout, session.Limits().silence));
  }

  Hosts hosts;
  settings::Settings settings;
  list::DownloadList items;
  net::Session session;
  resolve::RedirectResolver player;
  resolve::PageResolver pages;
  scheduler::DownloadPass pass;
  bool resolveStopped = false; // a stop while a lone page is resolved
};

Engine::Engine(Hosts hosts, Options options)
    : parts_(std::make_unique<Parts>(hosts, std::move(options))) {}

Engine::~Engine() = default;

void Engine::LoadSettings() {
  parts_->settings.Load([this](const std::string &text) {
    parts_->hosts.messages.Show(text, host::MessageBox::Buttons::Ok,
                                host::MessageBox::Icon::Exclamation);
  });
  SetKnownSitesOnly(parts_->settings.knownSitesOnly);
}

bool Engine::KnownSitesOnly() const {
  return parts_->settings.knownSitesOnly;
}

void Engine::SetKnownSitesOnly(bool on) {
  parts_->settings.knownSitesOnly = on;
  parts_->items.SetSiteRule(on ? resolve::SiteRule::KnownSitesOnly : resolve::SiteRule::AnyPage);
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

void Engine::Add(const std::vector<std::string> &addresses) {
  const std::size_t dropped = parts_->items.Add(addresses);
  if (dropped == 0)
    return;
  const std::string what =
      dropped == 1 ? "1 address was" : std::to_string(dropped) + " addresses were";
  parts_->hosts.messages.Show("The download list is full (" + std::to_string(kListCapacity) +
                                  " items): " + what + " not added.",
                              host::MessageBox::Buttons::Ok, host::MessageBox::Icon::Exclamation);
}

void Engine::AddFromText(const std::string &text) {
  std::vector<std::string> urls;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line(base::TrimBlanks(std::string_view(text).substr(start, end - start)));
    if (resolve::SiteOfAddress(line, parts_->items.SiteRule()) != nullptr)
      urls.push_back(std::move(line));
    start = end + 1;
  }
  if (!urls.empty())
    Add(urls);
}

bool Engine::IsVideoPageAddress(const std::string &text) const {
  return resolve::IsVideoPageAddress(text, parts_->items.SiteRule());
}

std::span<const Site *const> Engine::Sites() {
  return resolve::Sites();
}

void Engine::Remove(const std::vector<Serial> &serials) {
  parts_->items.Remove(serials);
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
}

std::optional<std::string> Engine::Rename(Serial serial, const std::string &typed) {
  return parts_->items.Rename(serial, typed);
}

PassSummary Engine::RunPass() {
  const scheduler::DownloadPass::Summary summary = parts_->pass.Run(parts_->settings.downloadDir);
  return {summary.completed, summary.failed};
}

void Engine::RequestStop() {
  parts_->pass.RequestStop();
  parts_->resolveStopped = true;
}

bool Engine::Downloading() const {
  return parts_->pass.Running();
}

std::optional<Serial> Engine::Current() const {
  return parts_->pass.Current();
}

std::string Engine::LoadList(const std::filesystem::path &file) {
  const settings::RegistryFileText read = settings::ReadRegistryFile(file, list::kMaxListFile);
  using State = settings::RegistryFileText::State;
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
    parts_->items.Restore(std::move(list.items));
    return {};
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
  return settings::ReplaceRegistryFile(file, list::ListText(parts_->items.Items()));
}

std::filesystem::path Engine::DefaultListFile() {
  return list::DefaultListFile();
}

Resolution Engine::ResolvePage(const std::string &url) {
  // A stop asked for before concerns what ran then, not this page.
  parts_->resolveStopped = false;
  const base::Outcome<resolve::ResolvedVideo> outcome =
      parts_->pages.Resolve(resolve::SiteOfAddress(url, parts_->items.SiteRule()), url, {},
                            [this] { return parts_->resolveStopped; });
  if (outcome.Done())
    return {outcome.Value().address, std::nullopt};
  if (outcome.Failed())
    return {std::nullopt, outcome.Failure()};
  return {};
}

} // namespace vidtrawl::engine
