#pragma once

#include "gui/DesktopHosts.h"
#include "gui/ListSelection.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::testing {

// The desktop's window, movie, opener, folder dialog, connectivity, clipboard and list selection
// as one recorder of every call in order ("drag", "open X", "watch on", "download_dir=/x", ...),
// with the answers below.
class RecordingDesktop final : public gui::WindowActions,
                               public gui::MovieVariables,
                               public gui::ShellOpen,
                               public gui::FolderChooser,
                               public gui::Connectivity,
                               public gui::ClipboardSwitch,
                               public gui::ListSelection {
public:
  void DragWindow() override { calls.push_back("drag"); }
  void Minimize() override { calls.push_back("minimize"); }
  void HideToTray() override { calls.push_back("tray"); }
  void BringForward() override { calls.push_back("bring forward"); }
  void ToggleMaximized() override { calls.push_back("maximize"); }
  void ShowList() override { calls.push_back("show list"); }
  void HideList() override { calls.push_back("hide list"); }
  void ToggleDetails() override { calls.push_back("details"); }
  void ShowSettings() override { calls.push_back("settings"); }
  void ChooseSpeedLimit() override { calls.push_back("limit menu"); }
  void StopFilters() override { calls.push_back("unfilter"); }
  void UnloadMenu() override { calls.push_back("unload menu"); }
  void EndProcess() override { calls.push_back("end"); }

  // Variables as "NAME=VALUE" without the "_root." prefix.
  void Set(const std::string &name, const std::string &value) override {
    variables[name] = value;
    calls.push_back(name.substr(6) + "=" + value);
  }
  std::string Get(const std::string &name) override { return variables[name]; }

  void Open(const std::string &target, Failed failed) override {
    calls.push_back("open " + target);
    if (!openFailure.empty())
      failed(openFailure);
  }
  std::string ChooseFolder(const std::string &prompt) override {
    calls.push_back("choose " + prompt.substr(0, 10));
    return chosenFolder;
  }
  bool IsConnected() override { return online; }
  void Watch(bool on) override { calls.push_back(on ? "watch on" : "watch off"); }
  void Copy(const std::string &text) override { calls.push_back("copy " + text); }

  void SelectAll() override { calls.push_back("select all"); }
  std::vector<engine::Serial> SelectedItems() const override { return selected; }
  std::optional<engine::Serial> FirstSelectedItem() const override {
    return selected.empty() ? std::nullopt : std::optional(selected.front());
  }

  // The calls since the last look, joined by "; ".
  std::string Calls() {
    std::string text;
    for (const std::string &call : calls)
      text += (text.empty() ? "" : "; ") + call;
    calls.clear();
    return text;
  }

  std::vector<std::string> calls;
  std::map<std::string, std::string> variables;
  std::string chosenFolder;             // the folder dialog's answer
  std::vector<engine::Serial> selected; // in selection order
  bool online = true;
  std::string openFailure; // what the opener says when set: nothing opens
};

} // namespace vidtrawl::testing
