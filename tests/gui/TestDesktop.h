#pragma once

#include "gui/Desktop.h"
#include "gui/DownloadGridModel.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QQuickItem>

#include <memory>

namespace vidtrawl::testing {

// The desktop program over a private settings file, with recording hosts in
// place of the dialogs and the desktop's opener, started and shown
// offscreen. The movie's commands go to the engine, or to `sent` once
// RecordCommands was called.
struct TestDesktop {
  explicit TestDesktop(QString data = QStringLiteral(VIDTRAWL_TEST_DATA_DIR))
      : desktop(std::make_unique<gui::Desktop>(
            gui::Desktop::Options{.dataFolder = std::move(data),
                                  .messages = &messages,
                                  .shell = &recorder,
                                  .folders = &recorder,
                                  .engine = {{}, dir / "registry.ini", dir / "scratch"}})) {
    desktop->Start();
    QApplication::processEvents(); // the movie announces its page on its first turn
  }
  ~TestDesktop() { window.StopHook(); }

  QQuickItem *Item(const char *name) {
    return movie.rootObject()->findChild<QQuickItem *>(QString::fromLatin1(name));
  }
  QString Page() { return movie.rootObject()->property("activePage").toString(); }
  void RecordCommands() {
    movie.OnCommand([this](const std::string &command, const std::string &) {
      sent += (sent.empty() ? "" : " ") + command;
    });
  }
  QModelIndex Index(int row, int column) const { return grid.Model().index(row, column); }
  std::string Shown(int row, int column) const {
    return Index(row, column).data().toString().toStdString();
  }

  TempDir dir;
  RecordingMessageBox messages;
  RecordingDesktop recorder;
  std::unique_ptr<gui::Desktop> desktop;
  gui::frmMain &window = desktop->Window();
  gui::MovieBridge &movie = window.Movie();
  gui::DownloadGrid &grid = window.Grid();
  engine::Engine &engine = desktop->Engine();
  std::string sent;
};

} // namespace vidtrawl::testing
