// The desktop program on Qt's offscreen platform: start and close, the grid, its painter, the
// movie's controls and variables, drops, the tray menu and the window filters.
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
#include <QQuickWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <tuple>

namespace vidtrawl::testing {
namespace {

// One QApplication for the run: offscreen unless asked otherwise, the Fusion style so that every
// machine paints alike, and Qt Quick's software renderer as in the program.
struct QtApplication final : ::testing::Environment {
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    application = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
  }
  void TearDown() override { application.reset(); }
  int argc = 1;
  char name[9] = "test_gui", *argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> application;
};
[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

// The program started over a private settings file, recording hosts in place of the dialogs and
// the desktop's opener. The movie's commands go to the engine, or to `sent` after RecordCommands.
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

TEST(DesktopWindow, StartsWithTheGridOverTheMoviesListOrEmptyAndACloseTakesTheWayOut) {
  TempDir broken, missing;
  WriteFile(broken / "Main.qml", "import QtQuick\nItem { this is not QML");
  for (const std::string &data :
       {std::string(VIDTRAWL_TEST_DATA_DIR), broken.path().string(), missing.path().string()}) {
    SCOPED_TRACE(data);
    ::testing::internal::CaptureStderr();
    TestDesktop t(QString::fromStdString(data));
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (data != VIDTRAWL_TEST_DATA_DIR) {
      EXPECT_FALSE(t.movie.Loaded());
      EXPECT_NE(err.find("the window stays empty"), std::string::npos) << err;
      continue;
    }
    QQuickItem *list = t.Item("gridArea");
    EXPECT_EQ(list->mapRectToScene(list->boundingRect()).toRect(), t.grid.geometry());
    // The movie shows its download page at start, which brings the grid forward.
    EXPECT_TRUE(t.grid.isVisibleTo(&t.window));
    t.window.close(); // the window system's close takes the way out: idle, so no question
    EXPECT_TRUE(t.messages.shown.empty());
    EXPECT_FALSE(t.window.isVisible() || t.window.Hooked() || t.desktop->Menu().Icon().isVisible());
  }
}

void Add(TestDesktop &t, std::initializer_list<int> clips) {
  for (int clip : clips)
    t.engine.AddLink("http://www.youtube.com/watch?v=" + std::to_string(clip));
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
      {"-03", {22}},
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
    std::vector<int> listed;
    std::set<int> shown;
    for (const GridCell &cell : w.grid.SelectedCells())
      listed.push_back(cell.row.index * 10 + cell.column);
    EXPECT_EQ(listed, selected);
    for (int row = 0; row < w.grid.RowCount(); ++row)
      EXPECT_EQ(w.grid.RowSelected(*w.grid.Row(row)),
                std::ranges::count_if(listed, [&](int at) { return at / 10 == row; }) == 5);
    QApplication::processEvents(); // the view gets the engine's selection
    for (const QModelIndex &index : w.grid.selectionModel()->selectedIndexes())
      shown.insert(index.row() * 10 + index.column());
    EXPECT_EQ(shown, std::set<int>(listed.begin(), listed.end()));
  }
  // Whole rows reach the view as one range: cell by cell, its time grows as the rows squared.
  w.engine.SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
}

TEST(QtDownloadGrid, NamesTypedIntoTheCellAreCleanedOrRefusedWithoutARebuild) {
  // A column, what is typed into it, and the file name shown and stored afterwards.
  const std::tuple<int, const char *, const char *> edits[] = {
      {kColumnFileName, "my:clip?.flv", "myclip.flv"},
      {kColumnFileName, "???", "myclip.flv"},
      {kColumnFileName, "Ünïcode clip.flv", "Ünïcode clip.flv"},
      {kColumnStatus, "Complete", "Ünïcode clip.flv"}, // no other column takes an edit
  };
  TestDesktop w;
  Add(w, {1, 2, 3});
  const std::string untouched = w.engine.Item(0).FileName;
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  for (const auto &[column, typed, name] : edits) {
    SCOPED_TRACE(typed);
    // Through the view's editor, committed with Enter; a cell that opens none takes nothing.
    w.grid.setCurrentIndex(w.Index(1, column));
    w.grid.edit(w.Index(1, column));
    for (QLineEdit *editor : w.grid.viewport()->findChildren<QLineEdit *>())
      if (editor->isVisible()) {
        editor->setText(QString::fromUtf8(typed));
        QTest::keyClick(editor, Qt::Key_Return);
      }
    QApplication::processEvents();
    EXPECT_EQ(w.Shown(1, kColumnFileName), name);
    EXPECT_EQ(w.engine.Item(1).FileName, name);
    EXPECT_EQ(w.engine.Item(1).Status, "Waiting");
  }
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(w.engine.Item(0).FileName, untouched);
  EXPECT_EQ(w.engine.Item(2).FileName, untouched);
}

std::set<QRgb> Colours(const QImage &image, const QRect &area) {
  std::set<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      colours.insert(image.pixel(x, y));
  return colours;
}

TEST(StatusCellPainter, APercentageIsABarInTheUsersColoursAndAnythingElseText) {
  // A status, whether its row is selected, and the share of the cell its bar covers.
  const std::tuple<const char *, bool, int> cases[] = {
      {"0", false, 0},         {"42", false, 42}, {"100", false, 100},
      {"Complete", false, -1}, {"42", true, 100}, {"Complete", true, 100}};
  TestDesktop w;
  Add(w, {1, 2});
  const QPalette saved = QApplication::palette();
  const QColor ground(250, 240, 10);
  int blue = 100;
  for (const auto &[status, selected, share] : cases) {
    SCOPED_TRACE(::testing::Message() << status << (selected ? " selected" : ""));
    // The user's colours change from case to case: they are read at every paint.
    const QColor bar(20, 40, blue += 10);
    QPalette user = saved;
    user.setColor(QPalette::Highlight, bar);
    user.setColor(QPalette::HighlightedText, ground);
    QApplication::setPalette(user);
    for (int column : {kColumnStatus, kColumnFileSize})
      w.grid.SetCellValue(*w.grid.Row(0), column, status);
    w.grid.SetRowSelected(*w.grid.Row(0), selected);
    QApplication::processEvents();
    const QImage image = w.grid.viewport()->grab().toImage();
    const QRect cell = w.grid.visualRect(w.Index(0, kColumnStatus));
    // The cell's first line: the selection's colour, else the bar to its end, then the ground.
    const int end = cell.left() + cell.width() * share / 100;
    for (int x : {cell.left(), end - 2, end + 2, cell.right()}) {
      x = std::clamp(x, cell.left(), cell.right());
      const QColor expected = selected  ? w.grid.palette().color(QPalette::Highlight)
                              : x < end ? bar
                                        : ground;
      EXPECT_TRUE(share < 0 || image.pixelColor(x, cell.top()) == expected) << x;
    }
    // Each cell shows its text (on a bar in the opposite colour); only a bar has the bar's colours.
    for (int column : {kColumnFileName, kColumnStatus, kColumnFileSize}) {
      const std::set<QRgb> colours = Colours(image, w.grid.visualRect(w.Index(0, column)));
      EXPECT_GT(colours.size(), 1u) << column;
      EXPECT_TRUE((column == kColumnStatus && share >= 0 && !selected) ||
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
  // A movie variable, its value, and the item and property that show it (no item: the movie).
  const std::tuple<const char *, const char *, const char *, const char *, const char *> cases[] = {
      {"_root.download_dir", "/srv/films", "folderText", "text", "/srv/films"},
      {"_root.video_url", "http://blip.tv/file/7", "urlField", "text", "http://blip.tv/file/7"},
      {"_root.aboutTxt", "Version 9\r\nBy us", "aboutText", "text", "Version 9\nBy us"},
      {"_root.startDownload", "0", "startStopButton", "text", "Stop Downloading"},
      // A pass that begins on the About page brings the download page back.
      {"_root.downloadBtnTab", "1", nullptr, "activePage", "Download"},
  };
  TestDesktop t;
  t.RecordCommands();
  t.movie.ShowPage(QStringLiteral("About"));
  QTRY_COMPARE_WITH_TIMEOUT(t.Page(), QStringLiteral("About"), 2000);
  for (const auto &[variable, value, name, property, shown] : cases) {
    SCOPED_TRACE(variable);
    t.movie.SetFlashVariable(variable, value);
    QObject *item = name ? t.Item(name) : t.movie.rootObject();
    QTRY_COMPARE_WITH_TIMEOUT(item->property(property).toString(), QString(shown), 2000);
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
  const auto running = [&](host::Timers::Id id) { return t.desktop->Timers().TimerRunning(id); };
  const std::pair<const char *, std::function<bool()>> cases[] = {
      {"Vidtrawl", [&] { return t.window.isVisible(); }},
      {"Start Downloading", [&] { return running(host::Timers::Id::Download); }},
      // The entry shows the engine's state and acts on the mark it showed.
      {"Monitor Video URL's in Clipboard", [&] { return !t.engine.MonitorEnabled(); }},
      {"Help",
       [&] { return t.recorder.calls.back() == "open " VIDTRAWL_TEST_DATA_DIR "/help.html"; }},
      {"About", [&] { return t.window.isVisible() && t.Page() == "About"; }},
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
  QMouseEvent left(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
  QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_Menu, {});
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, {}, QStringLiteral("a"));
  const std::pair<QEvent *, bool> presses[] = {
      {&right, true}, {&menuKey, true}, {&left, false}, {&letter, false}};
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
  // Where the focus is, what the wheel turns over, how far, and the first row shown.
  const std::tuple<QWidget *, QWidget *, int, int> turns[] = {
      {grid, rows, 240, 9},       // away from the user: one earlier row
      {grid, &t.movie, -120, 10}, // anywhere over the window
      {&t.movie, rows, 120, 10},  // the wheel follows the focus
      {&t.movie, rows, -120, 10},
  };
  for (const auto &[focus, target, delta, row] : turns) {
    focus->setFocus();
    QWheelEvent wheel(at, target->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    EXPECT_EQ(bar->value(), row) << delta;
  }
}

} // namespace
} // namespace vidtrawl::testing
