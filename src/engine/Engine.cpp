#include "engine/Engine.h"

#include "scheduler/EngineParts.h"

namespace vidtrawl::engine {

Engine::Engine(Hosts hosts, Options options)
    : parts_(std::make_unique<scheduler::EngineParts>(
          scheduler::EngineHosts{hosts.pump, hosts.messages, hosts.grid, hosts.movie,
                                 hosts.connectivity},
          std::move(options.connections),
          scheduler::EnginePaths{std::move(options.registryFile),
                                 std::move(options.scratchFolder)})) {}

Engine::~Engine() = default;

void Engine::LoadSettings(const std::function<void(bool on)> &monitorSwitch) {
  parts_->settings.LoadSettings(parts_->hosts.movie, monitorSwitch);
}

void Engine::SaveSettings() const {
  parts_->settings.SaveSettings();
}

void Engine::ShowSettings() {
  parts_->settings.ShowSettings(parts_->hosts.movie);
}

const std::string &Engine::DownloadDir() const {
  return parts_->settings.sDownloadDir;
}

void Engine::SetDownloadDir(const std::string &folder) {
  parts_->settings.sDownloadDir = folder;
}

bool Engine::MonitorEnabled() const {
  return parts_->settings.bMonitorEnabled;
}

void Engine::SetMonitorEnabled(bool on) {
  parts_->settings.bMonitorEnabled = on;
}

void Engine::AddLink(const std::string &url) {
  parts_->adder.AddLink(url);
}

void Engine::AddLinks(const std::vector<std::string> &urls) {
  parts_->adder.AddLinks(urls);
}

std::size_t Engine::ItemCount() const {
  return parts_->items.Count();
}

const DownloadItem &Engine::Item(std::size_t index) const {
  return parts_->items.At(index);
}

const std::vector<DownloadItem> &Engine::Items() const {
  return parts_->items.Items();
}

void Engine::SetItemObserver(ItemObserver *observer) {
  parts_->items.SetObserver(observer);
}

void Engine::SelectAll() {
  parts_->editor.SelectAll();
}

void Engine::RemoveSelected() {
  parts_->editor.RemoveSelected();
}

void Engine::MoveSelectedUp() {
  parts_->editor.MoveSelectedUp();
}

void Engine::MoveSelectedDown() {
  parts_->editor.MoveSelectedDown();
}

void Engine::ClearCompleted() {
  parts_->editor.ClearCompleted();
}

void Engine::LocateCurrentRow() {
  parts_->editor.LocateCurrentRow();
}

host::CellUpdateEvents &Engine::CellEvents() {
  return parts_->fileNameEdit;
}

void Engine::cmdStartDownload_Click() {
  parts_->control.cmdStartDownload_Click();
}

void Engine::RequestStop() {
  parts_->control.RequestStop();
}

bool Engine::Downloading() const {
  return parts_->state.bDownloading;
}

const std::string &Engine::Caption() const {
  return parts_->control.Caption();
}

const std::string &Engine::MenuCaption() const {
  return parts_->control.MenuCaption();
}

void Engine::OnCaptionsChanged(std::function<void()> listener) {
  parts_->control.OnCaptionsChanged(std::move(listener));
}

std::string Engine::ResolvePage(const std::string &url) {
  // A stop asked for before concerns what ran then, not this page.
  parts_->state.bStopRequested = false;
  return parts_->fetcher.GetDownloadLink(url);
}

bool Engine::IsVideoAddress(const std::string &result) {
  return result != resolve::kResultNoSupportedSite && result != resolve::kResultPageNotFetched &&
         result != resolve::kResultNoVideoAddress;
}

Activity Engine::CurrentActivity() const {
  Activity activity;
  activity.downloading = parts_->state.bDownloading;
  if (activity.downloading)
    activity.currentIndex = parts_->current.Find(parts_->items);
  activity.fetchingPage = parts_->fetcher.GettingLink();
  activity.bytesReceived = parts_->download.BytesReceived();
  activity.fileSize = parts_->download.FileSize() > 0 ? parts_->download.FileSize() : 0;
  return activity;
}

} // namespace vidtrawl::engine
