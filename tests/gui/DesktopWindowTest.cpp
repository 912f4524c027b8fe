// The desktop program on Qt's offscreen platform: start-up, the download
// grid (the engine's grid contract carried by the view, names typed into a
// cell, the status cells it paints), the movie's controls and variables,
// drops, the tray menu, the window filters and the way out.
#include "gui/Desktop.h"
#include "gui/DownloadGridModel.h"
#include "host/GridLayout.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QQuickItem>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

namespace vidtrawl::testing {
namespace {

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

using namespace host; // the grid contract and its column numbers

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

std::string Url(int clip) {
  return "http://www.youtube.com/watch?v=" + std::to_string(clip);
}
void Add(TestDesktop &t, std::initializer_list<int> clips) {
  for (int clip : clips)
    t.engine.AddLink(Url(clip));
}

TEST(QtDownloadGrid, ShowsEachItemAndChangesOneCellAtATime) {
  TestDesktop w;
  Add(w, {1, 2});
  w.engine.AddLink("http://www.example.org/unsupported");
  const engine::DownloadItem &item = w.engine.Item(2);
  const std::string fields[] = {std::to_string(item.ID), item.Video_URL, item.FileName, item.Status,
                                item.FileSize};
  for (int column = 0; column < kColumnCount; ++column)
    EXPECT_EQ(w.Shown(2, column), fields[column]) << column;
  const GridRow old = *w.grid.Row(0);
  QSignalSpy changed(&w.grid.Model(), &QAbstractItemModel::dataChanged);
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  ASSERT_TRUE(w.grid.SetCellValue(*w.grid.Row(1), kColumnStatus, "42"));
  EXPECT_EQ(w.Shown(1, kColumnStatus), "42");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(changed[0][1].toModelIndex(), w.Index(1, kColumnStatus));
  EXPECT_EQ(resets.count(), 0);

  Add(w, {4}); // every rebuild replaces all rows; rows taken before are stale
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(w.grid.Model().rowCount(), 4);
  EXPECT_FALSE(w.grid.SetCellValue(old, kColumnStatus, "99"));
  EXPECT_FALSE(w.grid.CellText(old, kColumnStatus));
  w.grid.SetRowSelected(old, true);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
}

// Each step changes the selection: "+RC" and "-RC" are the engine selecting
// and deselecting the cell in row R, column C ("*": the whole row), "cRC" a
// click and "CRC" a click with Ctrl. The grid then lists the selected cells
// (R * 10 + C) in the order they were selected, a row counts as selected
// with all its cells, and the view shows exactly those cells.
TEST(QtDownloadGrid, EngineAndUserSelectionsAddUpInSelectionOrder) {
  const std::pair<std::string, std::vector<int>> steps[] = {
      {"+22", {22}},
      {"+03", {22, 3}},
      {"+10", {22, 3, 10}},
      {"-03", {22, 10}},
      {"+1*", {22, 10, 11, 12, 13, 14}},
      {"-13", {22, 10, 11, 12, 14}},
      {"C04", {22, 10, 11, 12, 14, 4}},
      {"c04", {4}},
      {"+2*", {4, 20, 21, 22, 23, 24}},
      {"C21", {4, 20, 22, 23, 24}},
      {"-2*", {4}},
      {"rebind", {}},
      {"c03", {3}},
      {"C21", {3, 21}},
  };
  TestDesktop w;
  Add(w, {1, 2, 3});
  for (const auto &[step, selected] : steps) {
    SCOPED_TRACE(step);
    const int row = step[1] - '0', column = step[2] - '0';
    if (step == "rebind")
      Add(w, {4});
    else if (step[0] == 'c' || step[0] == 'C')
      QTest::mouseClick(w.grid.viewport(), Qt::LeftButton,
                        step[0] == 'C' ? Qt::ControlModifier : Qt::NoModifier,
                        w.grid.visualRect(w.Index(row, column)).center());
    else if (step[2] == '*')
      w.grid.SetRowSelected(*w.grid.Row(row), step[0] == '+');
    else
      w.grid.SetCellSelected({*w.grid.Row(row), column}, step[0] == '+');
    std::vector<int> listed, shown;
    for (const GridCell &cell : w.grid.SelectedCells())
      listed.push_back(cell.row.index * 10 + cell.column);
    EXPECT_EQ(listed, selected);
    for (int row = 0; row < w.grid.RowCount(); ++row)
      EXPECT_EQ(w.grid.RowSelected(*w.grid.Row(row)),
                std::ranges::count_if(listed, [&](int at) { return at / 10 == row; }) == 5);
    QApplication::processEvents(); // the view gets the engine's selection
    for (const QModelIndex &index : w.grid.selectionModel()->selectedIndexes())
      shown.push_back(index.row() * 10 + index.column());
    std::ranges::sort(listed);
    std::ranges::sort(shown);
    EXPECT_EQ(shown, listed);
  }
  // Whole rows reach the view as one range, not a cell at a time: selecting
  // tens of thousands of rows would take the view time quadratic in the rows.
  w.engine.SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
}

TEST(QtDownloadGrid, NamesTypedIntoTheCellAreCleanedOrRefusedWithoutARebuild) {
  const struct {
    int column;
    const char *typed;
    const char *name; // shown and stored afterwards
  } edits[] = {
      {kColumnFileName, "my:clip?.flv", "myclip.flv"},
      {kColumnFileName, "???", "myclip.flv"},
      {kColumnFileName, "Ünïcode clip.flv", "Ünïcode clip.flv"},
      {kColumnStatus, "Complete", "Ünïcode clip.flv"}, // no other column takes an edit
  };
  TestDesktop w;
  Add(w, {1, 2, 3});
  const std::string untouched = w.engine.Item(0).FileName;
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  for (const auto &edit : edits) {
    SCOPED_TRACE(edit.typed);
    // Through the view's editor, committed with Enter; a cell that opens no
    // editor takes nothing.
    w.grid.setCurrentIndex(w.Index(1, edit.column));
    w.grid.edit(w.Index(1, edit.column));
    for (QLineEdit *editor : w.grid.viewport()->findChildren<QLineEdit *>())
      if (editor->isVisible()) {
        editor->setText(QString::fromUtf8(edit.typed));
        QTest::keyClick(editor, Qt::Key_Return);
      }
    QApplication::processEvents();
    EXPECT_EQ(w.Shown(1, kColumnFileName), edit.name);
    EXPECT_EQ(w.engine.Item(1).FileName, edit.name);
    EXPECT_EQ(w.engine.Item(1).Status, "Waiting");
  }
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.engine.Item(0).FileName, untouched);
  EXPECT_EQ(w.engine.Item(2).FileName, untouched);
  Add(w, {4});
  EXPECT_EQ(w.Shown(1, kColumnFileName), "Ünïcode clip.flv");
}

// The colours in an area of an image.
std::set<QRgb> Colours(const QImage &image, const QRect &area) {
  std::set<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      colours.insert(image.pixel(x, y));
  return colours;
}

TEST(StatusCellPainter, APercentageIsABarInTheUsersColoursAndAnythingElseText) {
  const struct {
    const char *status;
    bool selected;
    int bar; // percent of the cell the bar covers; -1: no bar
  } cases[] = {
      {"0", false, 0},         {"42", false, 42}, {"100", false, 100},
      {"Complete", false, -1}, {"42", true, -1},  {"Complete", true, -1},
  };
  TestDesktop w;
  Add(w, {1, 2});
  const QPalette saved = QApplication::palette();
  const QColor ground(250, 240, 10);
  for (const auto &c : cases) {
    SCOPED_TRACE(::testing::Message() << c.status << (c.selected ? " selected" : ""));
    // The user's colours change from case to case: they are read at every paint.
    const QColor bar(20, 40, 100 + 10 * static_cast<int>(&c - cases));
    QPalette user = saved;
    user.setColor(QPalette::Highlight, bar);
    user.setColor(QPalette::HighlightedText, ground);
    QApplication::setPalette(user);
    const GridRow row = *w.grid.Row(0);
    w.grid.SetCellValue(row, kColumnStatus, c.status);
    w.grid.SetCellValue(row, kColumnFileSize, c.status);
    w.grid.SetRowSelected(row, c.selected);
    QApplication::processEvents();
    const QImage image = w.grid.viewport()->grab().toImage();
    const QRect cell = w.grid.visualRect(w.Index(0, kColumnStatus));
    const auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    if (c.bar >= 0) {
      const int end = cell.left() + cell.width() * c.bar / 100; // where the ground begins
      for (int x : {cell.left(), end - 2, end + 2, cell.right()}) {
        x = std::clamp(x, cell.left(), cell.right());
        EXPECT_EQ(at(x, cell.top()), x < end ? bar : ground) << x;
      }
    } else if (c.selected) {
      EXPECT_EQ(at(cell.left(), cell.top()), w.grid.palette().color(QPalette::Highlight));
      EXPECT_EQ(at(cell.right(), cell.bottom()), w.grid.palette().color(QPalette::Highlight));
    }
    // Every cell shows its text (a percentage in the colour opposite to what
    // lies under it); neither plain cells nor the neighbours show the bar's colours.
    for (int column : {kColumnFileName, kColumnStatus, kColumnFileSize}) {
      const std::set<QRgb> colours = Colours(image, w.grid.visualRect(w.Index(0, column)));
      EXPECT_GT(colours.size(), 1u) << column;
      EXPECT_TRUE((column == kColumnStatus && c.bar >= 0) ||
                  !(colours.contains(bar.rgb()) || colours.contains(ground.rgb())))
          << column;
    }
  }
  QApplication::setPalette(saved);
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
