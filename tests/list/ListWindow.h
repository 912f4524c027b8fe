#pragma once

#include "host/HeadlessGrid.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedPump.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vidtrawl::testing {

// The pieces of the main window that show and edit the list, wired together
// as the program wires them.
struct ListWindow {
  ListWindow() { binder.SetYieldInterval(std::chrono::nanoseconds::zero()); }

  // Adds items as "url|status" ("url" alone: "Waiting") and rebuilds the grid.
  void Add(const std::vector<std::string> &entries) {
    for (const std::string &entry : entries) {
      const auto bar = entry.find('|');
      items.AddItem(entry.substr(0, bar), "f-" + entry.substr(0, bar),
                    bar == std::string::npos ? "" : entry.substr(bar + 1), "");
    }
    binder.BindList();
  }

  // The grid's rows as "ID|Video_URL|FileName|Status|FileSize".
  std::vector<std::string> Shown() const {
    std::vector<std::string> rows;
    for (const auto &row : grid.Texts())
      rows.push_back(row[0] + "|" + row[1] + "|" + row[2] + "|" + row[3] + "|" + row[4]);
    return rows;
  }

  // The store's items as "ID|Video_URL|Status".
  std::vector<std::string> Stored() const {
    std::vector<std::string> rows;
    for (const list::DownloadItem &item : items)
      rows.push_back(std::to_string(item.ID) + "|" + item.Video_URL + "|" + item.Status);
    return rows;
  }

  // Runs the action at each pump call from now on, counting calls from 1.
  void OnPump(std::function<void(long call)> action) {
    pump.calls = 0;
    pump.action = std::move(action);
  }

  host::GridRow RowAt(int index) const { return *grid.Row(index); }

  list::DownloadList items;
  host::HeadlessGrid grid;
  ScriptedPump pump;
  RecordingMessageBox messages;
  list::CurrentItem current;
  list::ListBinder binder{items, grid, pump, messages};
  list::ListEditor editor{items, grid, binder, current};
};

using Texts = std::vector<std::string>;

} // namespace vidtrawl::testing
