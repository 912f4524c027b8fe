// The desktop program on Qt's offscreen platform: start-up, the movie's
// controls and variables, drops, the tray menu, the window filters and the
// way out.
#include "TestDesktop.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace vidtrawl::testing {
namespace {

TEST(DesktopStartUp, TheMovieCoversTheWindowWithTheGridOverItsListOrTheWindowStaysEmpty) {
  TempDir broken, missing;
  WriteFile(broken / "Main.qml", "import QtQuick\nItem { this is not QML");
  for (const std::string &data :
       {std::string(VIDTRAWL_TEST_DATA_DIR), broken.path().string(), missing.path().string()}) {
    SCOPED_TRACE(data);
    ::testing::internal::CaptureStderr();
    TestDesktop t(QString::fromStdString(data));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(t.window.Hooked());
    EXPECT_EQ(t.movie.geometry(), t.window.rect());
    if (data != VIDTRAWL_TEST_DATA_DIR) {
      EXPECT_FALSE(t.movie.Loaded());
      EXPECT_NE(err.find("the window stays empty"), std::string::npos) << err;
      continue;
    }
    QQuickItem *list = t.Item("gridArea");
    EXPECT_EQ(list->mapRectToScene(list->boundingRect()).toRect(), t.grid.geometry());
    // The movie shows its download page at start, which brings the grid forward.
    EXPECT_TRUE(t.grid.isVisibleTo(&t.window));
    EXPECT_TRUE(t.messages.shown.empty());
  }
}

TEST(DesktopMovie, EveryControlSendsItsCommand) {
  const std::pair<const char *, std::string> cases[] = {
      {"minimizeButton", "IDC_FS_Minimize"},
      {"trayButton", "IDC_FS_Tray"},
      {"closeButton", "IDC_FS_Close"},
      {"titleBar", "IDC_FS_Drag"},
      {"addButton", "IDC_FS_addDownloadURL"},
      {"selectAllButton", "IDC_FS_selectAllD"},
      {"removeSelectedButton", "IDC_FS_removeSelectedD"},
      {"moveUpButton", "IDC_FS_moveUp"},
      {"moveDownButton", "IDC_FS_moveDown"},
      {"clearCompletedButton", "ID_FS_clearComplete"},
      {"browseButton", "ID_FS_downloadBrowse"},
      {"monitorCheck", "ID_FS_autoDownloadUncheck"}, // monitoring is on at first
      {"monitorCheck", "ID_FS_autoDownloadCheck"},
      {"startStopButton", "IDC_FS_startDownload"},
      {"startStopButton", "IDC_FS_stopDownload"}, // with the running look
      {"aboutTab", "IDC_FS_Slider IDC_FS_About"},
      {"helpButton", "IDC_FS_Help"},
      {"webSiteButton", "ID_FS_webSite"},
      {"downloadTab", "IDC_FS_Slider IDC_FS_Download"},
  };
  TestDesktop t;
  t.RecordCommands();
  for (const auto &[control, commands] : cases) {
    SCOPED_TRACE(control);
    if (commands == "IDC_FS_stopDownload")
      t.movie.SetFlashVariable("_root.startDownload", "0");
    t.sent.clear();
    QQuickItem *item = t.Item(control);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(&t.movie, Qt::LeftButton, {},
                      item->mapToScene(item->boundingRect().center()).toPoint());
    QTRY_COMPARE_WITH_TIMEOUT(t.sent.size(), commands.size(), 2000);
    EXPECT_EQ(t.sent, commands);
  }
}

TEST(DesktopMovie, VariablesReachTheMoviesItems) {
  const struct {
    const char *variable, *value, *item, *property, *shown;
  } cases[] = {
      {"_root.download_dir", "/srv/films", "folderText", "text", "/srv/films"},
      {"_root.video_url", "http://blip.tv/file/7", "urlField", "text", "http://blip.tv/file/7"},
      {"_root.aboutTxt", "Version 9\r\nBy us", "aboutText", "text", "Version 9\nBy us"},
      {"_root.startDownload", "0", "startStopButton", "text", "Stop Downloading"},
      {"_root.startDownload", "1", "startStopButton", "text", "Start Downloading"},
      // A pass that begins on the About page brings the download page back.
      {"_root.downloadBtnTab", "1", nullptr, "activePage", "Download"},
  };
  TestDesktop t;
  t.RecordCommands();
  t.movie.ShowPage(QStringLiteral("About"));
  QTRY_COMPARE_WITH_TIMEOUT(t.Page(), QStringLiteral("About"), 2000);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.variable);
    t.movie.SetFlashVariable(c.variable, c.value);
    QObject *item = c.item ? t.Item(c.item) : t.movie.rootObject();
    QTRY_COMPARE_WITH_TIMEOUT(item->property(c.property).toString(), QString(c.shown), 2000);
  }
  EXPECT_TRUE(t.sent.ends_with("IDC_FS_Download")) << t.sent; // the engine hears of it
}

TEST(DesktopMovie, LinksAndTextDroppedOnTheMovieOrTheGridAreAdded) {
  TestDesktop t;
  QMimeData links, text;
  links.setUrls({QUrl("http://www.putfile.com/v/1"), QUrl("http://www.example.org/not-a-site")});
  text.setText(QStringLiteral("http://blip.tv/file/2\nsome words\n"));
  const std::pair<QMimeData *, QWidget *> drops[] = {{&links, &t.movie},
                                                     {&text, t.grid.viewport()}};
  for (const auto &[data, target] : drops) {
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
  }
  // Lines of no supported site are left out.
  ASSERT_EQ(t.grid.RowCount(), 2);
  EXPECT_EQ(t.engine.Item(0).Video_URL, "http://www.putfile.com/v/1");
  EXPECT_EQ(t.engine.Item(1).Video_URL, "http://blip.tv/file/2");
}

TEST(DesktopTray, EachEntryReachesTheEngine) {
  TestDesktop t;
  gui::frmMenu &menu = t.desktop->Menu();
  const auto visible = [&] { return t.window.isVisible(); };
  const auto running = [&](host::Timers::Id id) { return t.desktop->Timers().TimerRunning(id); };
  const std::pair<const char *, std::function<bool()>> cases[] = {
      {"Vidtrawl", visible},
      {"Start Downloading", [&] { return running(host::Timers::Id::Download); }},
      // The entry shows the engine's state and acts on the mark it showed.
      {"Monitor Video URL's in Clipboard", [&] { return !t.engine.MonitorEnabled(); }},
      {"Help",
       [&] { return t.recorder.calls.back() == "open " VIDTRAWL_TEST_DATA_DIR "/help.html"; }},
      {"About", [&] { return visible() && t.Page() == "About"; }},
      {"Exit Vidtrawl", [&] { return running(host::Timers::Id::End); }},
  };
  for (const auto &[caption, done] : cases) {
    SCOPED_TRACE(caption);
    t.window.hide();
    menu.PrepareMenu();
    EXPECT_EQ(menu.mnuMonitor().isChecked(), t.engine.MonitorEnabled());
    const QList<QAction *> entries = menu.Menu().actions();
    const auto entry = std::ranges::find(entries, QString(caption), &QAction::text);
    ASSERT_NE(entry, entries.end());
    (*entry)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(done(), 2000);
  }
  // Hidden to the tray, the window comes back with a double-click only.
  t.window.hide();
  menu.IconActivated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(t.window.isVisible());
  menu.IconActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(t.window.isVisible());
}

TEST(DesktopFilters, TheMovieLosesTheRightButtonAndTheGridScrollsARowPerTurnWithTheFocus) {
  const QPointF at(10, 10);
  QMouseEvent right(QEvent::MouseButtonPress, at, at, Qt::RightButton, Qt::RightButton, {});
  QMouseEvent rightUp(QEvent::MouseButtonRelease, at, at, Qt::RightButton, {}, {});
  QMouseEvent left(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
  QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_Menu, {});
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, {}, QStringLiteral("a"));
  const std::pair<QEvent *, bool> presses[] = {
      {&right, true}, {&menuKey, true}, {&rightUp, false}, {&left, false}, {&letter, false}};
  gui::MovieInputFilter filter;
  for (const auto &[event, eaten] : presses)
    EXPECT_EQ(filter.eventFilter(&filter, event), eaten) << event->type();

  TestDesktop t;
  for (int i = 0; i < 60; ++i)
    t.engine.AddLink("http://www.putfile.com/v/" + std::to_string(i));
  QApplication::processEvents(); // laid out, so that the grid can scroll
  QScrollBar *bar = t.grid.verticalScrollBar();
  bar->setValue(10);
  QWidget *grid = &t.grid, *rows = t.grid.viewport();
  const struct {
    QWidget *focus, *target;
    int delta, row;
  } turns[] = {
      {grid, rows, 240, 9},       // away from the user: one earlier row
      {grid, &t.movie, -120, 10}, // anywhere over the window
      {&t.movie, rows, 120, 10},  // the wheel follows the focus
      {&t.movie, rows, -120, 10},
  };
  for (const auto &turn : turns) {
    turn.focus->setFocus();
    QWheelEvent wheel(at, turn.target->mapToGlobal(at), {}, QPoint(0, turn.delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(turn.target, &wheel);
    EXPECT_EQ(bar->value(), turn.row) << &turn - turns;
  }
}

TEST(DesktopExit, ACloseRequestTakesTheExitPath) {
  TestDesktop t;
  t.window.close(); // the window system's close: idle, so no question
  EXPECT_TRUE(t.messages.shown.empty());
  EXPECT_FALSE(t.window.isVisible());
  EXPECT_FALSE(t.window.Hooked());
  EXPECT_FALSE(t.desktop->Menu().Icon().isVisible());
}

} // namespace
} // namespace vidtrawl::testing
