#include "engine/MovieCommands.h"

#include "base/Guarded.h"
#include "engine/ExitPath.h"
#include "engine/FolderChoice.h"
#include "host/MainWindow.h"
#include "host/MovieVariableNames.h"
#include "host/MovieVariables.h"
#include "host/ShellOpen.h"
#include "host/Timers.h"
#include "list/LinkAdder.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "scheduler/ClipboardMonitor.h"
#include "scheduler/RunState.h"
#include "scheduler/StartStopControl.h"
#include "settings/Settings.h"

#include <functional>
#include <string_view>
#include <utility>

namespace vidtrawl::engine {
namespace {

constexpr char kDownloadPage[] = "Download";
constexpr char kAboutPage[] = "About";

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

} // namespace

MovieCommands::MovieCommands(Parts parts, Hosts hosts, std::string helpFile, std::string webSite)
    : parts_(parts), hosts_(hosts), helpFile_(std::move(helpFile)), webSite_(std::move(webSite)) {}

void MovieCommands::Flash_FSCommand(const std::string &command, const std::string & /*args*/) {
  using Handler = void (*)(MovieCommands &);
  struct Row {
    std::string_view command;
    Handler run;
  };
  // Tested in this order; the first match runs.
  static constexpr Row kRows[] = {
      {"IDC_FS_Drag", [](MovieCommands &m) { m.hosts_.window.DragWindow(); }},
      {"IDC_FS_Minimize", [](MovieCommands &m) { m.hosts_.window.Minimize(); }},
      {"IDC_FS_Tray", [](MovieCommands &m) { m.hosts_.window.HideToTray(); }},
      {"IDC_FS_Close", [](MovieCommands &m) { m.parts_.exit.EndMe(); }},
      {"IDC_FS_Slider", [](MovieCommands &m) { m.hosts_.window.HideDownloadGrid(); }},
      {"IDC_FS_Download",
       [](MovieCommands &m) {
         m.hosts_.window.ShowDownloadGrid();
         m.parts_.state.sActivePage = kDownloadPage;
       }},
      {"IDC_FS_About",
       [](MovieCommands &m) {
         m.hosts_.window.HideDownloadGrid();
         m.parts_.state.sActivePage = kAboutPage;
       }},
      // A help document or web site that cannot be opened is not reported.
      {"IDC_FS_Help", [](MovieCommands &m) { m.hosts_.shell.OpenDocument(m.helpFile_); }},
      {"ID_FS_webSite", [](MovieCommands &m) { m.hosts_.shell.OpenDocument(m.webSite_); }},
      {"IDC_FS_startDownload",
       [](MovieCommands &m) { m.hosts_.timers.StartTimer(host::Timers::Id::Download); }},
      {"IDC_FS_stopDownload", [](MovieCommands &m) { m.parts_.control.cmdStartDownload_Click(); }},
      {"IDC_FS_addDownloadURL", [](MovieCommands &m) { m.AddDownloadUrl(); }},
      {"IDC_FS_selectAllD", [](MovieCommands &m) { m.parts_.editor.SelectAll(); }},
      {"IDC_FS_removeSelectedD", [](MovieCommands &m) { m.parts_.editor.RemoveSelected(); }},
      {"IDC_FS_moveUp", [](MovieCommands &m) { m.parts_.editor.MoveSelectedUp(); }},
      {"IDC_FS_moveDown", [](MovieCommands &m) { m.parts_.editor.MoveSelectedDown(); }},
      {"ID_FS_clearComplete", [](MovieCommands &m) { m.parts_.editor.ClearCompleted(); }},
      {"ID_FS_downloadBrowse",
       [](MovieCommands &m) {
         m.parts_.folder.cmdBrowse_Click();
         m.parts_.settings.SaveSettings();
       }},
      {"ID_FS_autoDownloadCheck",
       [](MovieCommands &m) {
         m.parts_.monitor.Monitor(true);
         m.parts_.settings.bMonitorEnabled = true;
         m.parts_.settings.SaveSettings();
       }},
      {"ID_FS_autoDownloadUncheck",
       [](MovieCommands &m) {
         m.parts_.monitor.Monitor(false);
         m.parts_.settings.bMonitorEnabled = false;
         m.parts_.settings.SaveSettings();
       }},
  };
  for (const Row &row : kRows) {
    if (row.command == command) {
      row.run(*this);
      return;
    }
  }
}

void MovieCommands::AddDownloadUrl() {
  std::string url;
  base::Guarded([&] { url = hosts_.movie.GetFlashVariable(host::movie::kVideoUrl); });
  if (!IsBlank(url)) {
    // Read again and taken as it stands: blanks around the address stay.
    base::Guarded([&] { url = hosts_.movie.GetFlashVariable(host::movie::kVideoUrl); });
    parts_.adder.AddLink(url);
  }
  if (parts_.state.bDownloading)
    parts_.editor.LocateCurrentRow();
}

void MovieCommands::tmrDownload_Timer() {
  hosts_.timers.StopTimer(host::Timers::Id::Download);
  // A pass must not start inside a rebuild that is letting events run:
  // the rebuild would go on filling from a list the pass is changing.
  if (parts_.binder.BindBusy()) {
    hosts_.timers.StartTimer(host::Timers::Id::Download);
    return;
  }
  parts_.control.tmrDownload_Timer();
}

} // namespace vidtrawl::engine
