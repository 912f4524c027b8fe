#pragma once

#include "engine/Engine.h"
#include "gui/DownloadGrid.h"
#include "gui/DownloadGridModel.h"
#include "host/Connectivity.h"
#include "support/RecordingMessageBox.h"
#include "support/RecordingMovie.h"
#include "support/ScriptedPump.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QModelIndex>

#include <memory>
#include <string>

namespace vidtrawl::testing {

// The whole engine over the Qt download grid, wired as the main window wires
// it: the grid's edit events go to the file name edit. Nothing here reaches
// the network; the grid is shown offscreen.
struct QtGridWindow {
  QtGridWindow() {
    engine = std::make_unique<engine::Engine>(
        engine::Hosts{pump, messages, grid, movie, connectivity},
        engine::Options{{}, dir.path() / "registry.ini", dir.path() / "scratch"});
    grid.SetCellUpdateEvents(&engine->CellEvents());
    grid.resize(700, 300);
  }

  // Adds page addresses one by one, as the add command does.
  void Add(std::initializer_list<std::string> urls) {
    for (const std::string &url : urls)
      engine->AddLink(url);
  }
  static std::string Url(int n) {
    return "http://www.youtube.com/watch?v=clip" + std::to_string(n);
  }

  QModelIndex Index(int row, int column) const { return grid.Model().index(row, column); }
  std::string Shown(int row, int column) const {
    return Index(row, column).data().toString().toStdString();
  }
  // Shows the grid and lets it lay itself out and paint.
  void Show() {
    grid.show();
    QApplication::processEvents();
  }

  TempDir dir;
  ScriptedPump pump;
  RecordingMessageBox messages;
  RecordingMovie movie;
  struct Online final : host::Connectivity {
    bool IsConnected() override { return true; }
  } connectivity;
  gui::DownloadGrid grid;
  std::unique_ptr<engine::Engine> engine;
};

} // namespace vidtrawl::testing
