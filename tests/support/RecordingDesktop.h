#pragma once

#include "host/Clipboard.h"
#include "host/FolderChooser.h"
#include "host/MainWindow.h"
#include "host/ShellOpen.h"
#include "host/Timers.h"

#include <set>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// The desktop's window, timers, opener, folder dialog and clipboard as one recorder: every call is
// written down in order ("drag", "start tmrDownload", "open X", "watch on", ...); the folder dialog
// answers `chosenFolder`, the clipboard holds `clipboardText`.
class RecordingDesktop final : public host::MainWindow,
                               public host::Timers,
                               public host::ShellOpen,
                               public host::FolderChooser,
                               public host::Clipboard {
public:
  void DragWindow() override { calls.push_back("drag"); }
  void Minimize() override { calls.push_back("minimize"); }
  void HideToTray() override { calls.push_back("tray"); }
  void ShowDownloadGrid() override { calls.push_back("show grid"); }
  void HideDownloadGrid() override { calls.push_back("hide grid"); }
  void StopHook() override { calls.push_back("unhook"); }
  void UnloadMenu() override { calls.push_back("unload menu"); }
  void EndProcess() override { calls.push_back("end"); }

  void StartTimer(Id timer) override {
    calls.push_back("start " + Name(timer));
    running.insert(timer);
  }
  void StopTimer(Id timer) override { running.erase(timer); }
  bool TimerRunning(Id timer) const override { return running.count(timer) != 0; }

  bool OpenDocument(const std::string &target) override {
    calls.push_back("open " + target);
    return true;
  }
  std::string BrowseForFolder(const std::string &prompt) override {
    calls.push_back("browse " + prompt);
    return chosenFolder;
  }

  void Watch(bool on) override { calls.push_back(on ? "watch on" : "watch off"); }
  std::string Text() override { return clipboardText; }

  static std::string Name(Id timer) {
    return timer == Id::Download ? "tmrDownload" : timer == Id::End ? "tmrend" : "tmrMonitor";
  }

  std::vector<std::string> calls;
  std::set<Id> running;
  std::string chosenFolder;
  std::string clipboardText;
};

} // namespace vidtrawl::testing
