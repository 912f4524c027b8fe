#include "engine/Engine.h"

#include "base/TrimBlanks.h"
#include "engine/ExitPath.h"
#include "engine/FolderChoice.h"
#include "engine/MovieCommands.h"
#include "engine/TrayMenu.h"
#include "host/MessageBox.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "resolve/SiteTable.h"
#include "scheduler/EngineParts.h"

#include <stdexcept>

namespace vidtrawl::engine {

static_assert(kListCapacity == list::DownloadList::kMaxItems);

// The pieces only the desktop program has, wired once it is attached.
struct DesktopParts {
  DesktopParts(scheduler::EngineParts &p, DesktopHosts hosts, std::string helpFile,
               std::string webSite)
      : folder(hosts.folders, p.hosts.movie, p.settings),
        exit(p.state, p.control, p.monitor, p.hosts.messages, hosts.window, hosts.timers),
        commands(
            {p.state, p.adder, p.editor, p.binder, p.control, p.monitor, p.settings, folder, exit},
            {p.hosts.movie, hosts.window, hosts.timers, hosts.shell}, std::move(helpFile),
            std::move(webSite)),
        tray(commands, p.control, p.monitor, p.settings, p.hosts.movie, hosts.timers),
        timers(hosts.timers) {}

  FolderChoice folder;
  ExitPath exit;
  MovieCommands commands;
  TrayMenu tray;
  host::Timers &timers;
};

Engine::Engine(Hosts hosts, Options options)
    : parts_(std::make_unique<scheduler::EngineParts>(
          scheduler::EngineHosts{hosts.pump, hosts.messages, hosts.grid, hosts.movie,
                                 hosts.connectivity},
          std::move(options.connections),
          scheduler::EnginePaths{std::move(options.registryFile),
                                 std::move(options.scratchFolder)})) {}

Engine::~Engine() = default;

void Engine::LoadSettings() {
  parts_->settings.LoadSettings(
      parts_->hosts.movie, [this](bool on) { parts_->monitor.Monitor(on); },
      [this](const std::string &text) {
        parts_->hosts.messages.Show(text, host::MessageBox::Buttons::Ok,
                                    host::MessageBox::Icon::Exclamation);
      });
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

void Engine::AddLinksFromText(const std::string &text) {
  std::vector<std::string> urls;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line(base::TrimBlanks(std::string_view(text).substr(start, end - start)));
    if (NamesSupportedSite(line))
      urls.push_back(std::move(line));
    start = end + 1;
  }
  if (urls.empty())
    return;
  parts_->adder.AddLinks(urls);
  if (parts_->state.bDownloading)
    parts_->editor.LocateCurrentRow();
}

bool Engine::NamesSupportedSite(const std::string &address) {
  return resolve::GetSiteID(address) != resolve::kNoSite;
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

void Engine::OnPassEnded(std::function<void(const PassSummary &)> listener) {
  if (!listener) {
    parts_->control.OnPassEnded({});
    return;
  }
  parts_->control.OnPassEnded([this, listener = std::move(listener)] {
    const scheduler::DownloadPass::Summary &summary = parts_->pass.LastSummary();
    listener(PassSummary{summary.completed, summary.failed, parts_->monitor.TakeStartRequest()});
  });
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

void Engine::AttachDesktop(DesktopHosts hosts, std::string helpFile, std::string webSite) {
  parts_->monitor.Attach(hosts.clipboard, hosts.timers);
  desktop_ =
      std::make_unique<DesktopParts>(*parts_, hosts, std::move(helpFile), std::move(webSite));
}

DesktopParts &Engine::Desktop() const {
  if (!desktop_)
    throw std::logic_error("the desktop program's hosts are not attached");
  return *desktop_;
}

void Engine::FormatDownloadGrid(bool bInit) {
  parts_->binder.FormatDownloadGrid(bInit);
}

void Engine::ShowAboutText(int major, int minor, int revision) {
  parts_->hosts.movie.SetFlashVariable(host::movie::kAboutTxt,
                                       host::movie::AboutTxtValue(major, minor, revision));
}

void Engine::Flash_FSCommand(const std::string &command, const std::string &args) {
  Desktop().commands.Flash_FSCommand(command, args);
}

void Engine::OnTimer(host::Timers::Id timer) {
  switch (timer) {
  case host::Timers::Id::Download:
    Desktop().commands.tmrDownload_Timer();
    break;
  case host::Timers::Id::End:
    Desktop().exit.tmrend_Timer();
    break;
  case host::Timers::Id::Monitor:
    parts_->monitor.tmrMonitor_Timer();
    break;
  }
}

void Engine::EndMe() {
  Desktop().exit.EndMe();
}

bool Engine::TrayMonitorChecked() const {
  return Desktop().tray.MonitorChecked();
}

void Engine::txtMonitor_Change(const std::string &text) {
  parts_->monitor.txtMonitor_Change(text);
}

void Engine::CallMonTimer() {
  parts_->monitor.CallMonTimer();
}

void Engine::chkMonitor_Click() {
  parts_->monitor.chkMonitor_Click();
}

void Engine::mnuDownload_Click() {
  Desktop().tray.mnuDownload_Click();
}

void Engine::mnuMonitor_Click(bool checked) {
  Desktop().tray.mnuMonitor_Click(checked);
}

void Engine::mnuExit_Click() {
  Desktop().tray.mnuExit_Click();
}

} // namespace vidtrawl::engine
