// The desktop program on Qt's offscreen platform: the grid, the movie's controls and variables,
// and the tray menu.
#include "gui/Desktop.h"
#include "gui/DownloadGridModel.h"
#include "host/GridLayout.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
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
  TestDesktop()
      : desktop(std::make_unique<gui::Desktop>(
            gui::Desktop::Options{.dataFolder = QStringLiteral(VIDTRAWL_TEST_DATA_DIR),
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

void Add(TestDesktop &t, std::initializer_list<int> clips) {
  for (int clip : clips)
    t.engine.AddLink("http://www.youtube.com/watch?v=" + std::to_string(clip));
}

// Each item's fields in its row; a changed cell is one dataChanged of that cell, not a reset; a
// rebuild resets the model and leaves rows taken before it stale.
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
  Add(w, {4});
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(w.grid.Model().rowCount(), 4);
  EXPECT_FALSE(w.grid.SetCellValue(old, kColumnStatus, "99"));
  EXPECT_FALSE(w.grid.CellText(old, kColumnStatus));
  w.grid.SetRowSelected(old, true);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0);
  EXPECT_EQ(w.Shown(0, kColumnStatus), "Waiting");
}

// Engine and user selections add up in selection order, and the view shows exactly them. A step:
// "+RC"/"-RC" the engine (de)selects row R, column C ("*": the whole row), "cRC" a click, "CRC" one
// with Ctrl, "new" a rebuild; then the cells selected (R * 10 + C) in order.
TEST(QtDownloadGrid, EngineAndUserSelectionsAddUpInSelectionOrder) {
  std::istringstream steps("+22 22;+1* 22 10 11 12 13 14;-13 22 10 11 12 14;C04 22 10 11 12 14 4;"
                           "c04 4;+2* 4 20 21 22 23 24;C21 4 20 22 23 24;new;c03 3;C21 3 21");
  TestDesktop w;
  Add(w, {1, 2, 3});
  for (std::string step; std::getline(steps, step, ';');) {
    SCOPED_TRACE(step);
    const int row = step[1] - '0', column = step[2] - '0';
    if (step == "new")
      Add(w, {4});
    else if (step[0] == 'c' || step[0] == 'C')
      QTest::mouseClick(w.grid.viewport(), Qt::LeftButton,
                        step[0] == 'C' ? Qt::ControlModifier : Qt::NoModifier,
                        w.grid.visualRect(w.Index(row, column)).center());
    else if (step[2] == '*')
      w.grid.SetRowSelected(*w.grid.Row(row), step[0] == '+');
    else
      w.grid.SetCellSelected({*w.grid.Row(row), column}, step[0] == '+');
    std::string text = step.substr(0, 3);
    std::set<int> listed, shown;
    for (const GridCell &cell : w.grid.SelectedCells()) {
      text += " " + std::to_string(cell.row.index * 10 + cell.column);
      listed.insert(cell.row.index * 10 + cell.column);
    }
    EXPECT_EQ(text, step);
    QApplication::processEvents(); // the view gets the engine's selection
    for (const QModelIndex &index : w.grid.selectionModel()->selectedIndexes())
      shown.insert(index.row() * 10 + index.column());
    EXPECT_EQ(shown, listed);
  }
  // Whole rows reach the view as one range: cell by cell, its time grows as the rows squared.
  w.engine.SelectAll();
  w.grid.SyncSelection();
  EXPECT_EQ(w.grid.selectionModel()->selection().size(), 1);
}

// A name typed into the view's editor (Enter commits) is cleaned, or refused, for its own item
// and without a rebuild; no other column opens an editor.
TEST(QtDownloadGrid, NamesTypedIntoTheCellAreCleanedOrRefusedWithoutARebuild) {
  // A column, what is typed into it, and the file name shown and stored afterwards.
  const std::tuple<int, const char *, const char *> edits[] = {
      {kColumnFileName, "my:clip?.flv", "myclip.flv"},
      {kColumnFileName, "???", "myclip.flv"},
      {kColumnStatus, "Complete", "myclip.flv"}};
  TestDesktop w;
  Add(w, {1, 2});
  QSignalSpy resets(&w.grid.Model(), &QAbstractItemModel::modelReset);
  for (const auto &[column, typed, name] : edits) {
    SCOPED_TRACE(typed);
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
  EXPECT_NE(w.engine.Item(0).FileName, "myclip.flv");
}

// The movie's variables reach its items, and each control sends its commands (add, start and
// close are clicked by the end-to-end run of the program).
TEST(DesktopMovie, VariablesReachTheItemsAndEveryControlSendsItsCommand) {
  // A movie variable, its value, and the item and property that show it (no item: the movie).
  const std::tuple<const char *, const char *, const char *, const char *, const char *> sets[] = {
      {"_root.download_dir", "/srv/films", "folderText", "text", "/srv/films"},
      {"_root.video_url", "http://blip.tv/file/7", "urlField", "text", "http://blip.tv/file/7"},
      {"_root.aboutTxt", "Version 9\r\nBy us", "aboutText", "text", "Version 9\nBy us"},
      {"_root.startDownload", "0", "startStopButton", "text", "Stop Downloading"},
      // A pass that begins on the About page brings the download page back.
      {"_root.downloadBtnTab", "1", nullptr, "activePage", "Download"}};
  // A control, and the commands a click on it sends (the start button has the running look).
  std::istringstream clicks(
      "minimizeButton IDC_FS_Minimize;trayButton IDC_FS_Tray;titleBar IDC_FS_Drag;"
      "selectAllButton IDC_FS_selectAllD;removeSelectedButton IDC_FS_removeSelectedD;"
      "moveUpButton IDC_FS_moveUp;moveDownButton IDC_FS_moveDown;"
      "clearCompletedButton ID_FS_clearComplete;browseButton ID_FS_downloadBrowse;"
      "monitorCheck ID_FS_autoDownloadUncheck;monitorCheck ID_FS_autoDownloadCheck;"
      "startStopButton IDC_FS_stopDownload;aboutTab IDC_FS_Slider IDC_FS_About;"
      "helpButton IDC_FS_Help;webSiteButton ID_FS_webSite;downloadTab IDC_FS_Slider "
      "IDC_FS_Download");
  TestDesktop t;
  t.RecordCommands();
  t.movie.ShowPage(QStringLiteral("About"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return t.Page() == "About"; }, 2000));
  for (const auto &[variable, value, name, property, shown] : sets) {
    SCOPED_TRACE(variable);
    t.movie.SetFlashVariable(variable, value);
    QObject *item = name ? t.Item(name) : t.movie.rootObject();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return item->property(property).toString() == shown; }, 2000));
  }
  EXPECT_TRUE(t.sent.ends_with("IDC_FS_Download")) << t.sent;  // the engine hears of it
  for (std::string click; std::getline(clicks, click, ';');) { // monitoring is on at first
    SCOPED_TRACE(click);
    const std::string control = click.substr(0, click.find(' ')),
                      commands = click.substr(control.size() + 1);
    t.sent.clear();
    QQuickItem *item = t.Item(control.c_str());
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(&t.movie, Qt::LeftButton, {},
                      item->mapToScene(item->boundingRect().center()).toPoint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.sent.size() >= commands.size(); }, 2000));
    EXPECT_EQ(t.sent, commands);
  }
}

// Each tray entry reaches the engine and the monitor entry shows its state; a window hidden to the
// tray comes back with a double-click only.
// Two running copies watching one clipboard: the first takes each copy, the second says so once
// and takes over when the first stops watching.
TEST(ClipboardWatcher, OneCopyWatchesAndAnotherTakesOverWhenItStops) {
  TempDir dir;
  const QString lock = QString::fromStdString((dir / "clipboard.lock").string());
  std::vector<std::string> got[2], told[2];
  std::unique_ptr<gui::ClipboardWatcher> copies[2];
  for (int n : {0, 1})
    copies[n] = std::make_unique<gui::ClipboardWatcher>(
        [&got, n](const std::string &text) { got[n].push_back(text); },
        [&told, n](const std::string &text) { told[n].push_back(text); },
        gui::ClipboardClaim(lock));
  for (int n : {0, 1, 1})
    copies[n]->Watch(true);
  const auto copy = [](const char *text) {
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
    QApplication::processEvents();
  };
  copy("http://media.putfile.com/a");
  EXPECT_EQ(got[0], std::vector<std::string>{"http://media.putfile.com/a"});
  EXPECT_TRUE(got[1].empty());
  EXPECT_TRUE(told[0].empty());
  ASSERT_EQ(told[1].size(), 1u);
  EXPECT_EQ(told[1][0].rfind("Another copy of Vidtrawl is watching the clipboard", 0), 0u);
  copies[0]->Watch(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return copies[1]->Claimed(); }, 5000));
  copy("http://media.putfile.com/b");
  EXPECT_EQ(got[0].size(), 1u);
  EXPECT_EQ(got[1], std::vector<std::string>{"http://media.putfile.com/b"});
}

TEST(DesktopTray, EachEntryReachesTheEngine) {
  TestDesktop t;
  gui::frmMenu &menu = t.desktop->Menu();
  const auto running = [&](host::Timers::Id id) { return t.desktop->Timers().TimerRunning(id); };
  const std::pair<const char *, std::function<bool()>> cases[] = {
      {"Vidtrawl", [&] { return t.window.isVisible(); }},
      {"Start Downloading", [&] { return running(host::Timers::Id::Download); }},
      // The entry acts on the mark it showed.
      {"Monitor Video URL's in Clipboard", [&] { return !t.engine.MonitorEnabled(); }},
      {"Help",
       [&] { return t.recorder.calls.back() == "open " VIDTRAWL_TEST_DATA_DIR "/help.html"; }},
      {"About", [&] { return t.window.isVisible() && t.Page() == "About"; }},
      {"Exit Vidtrawl", [&] { return running(host::Timers::Id::End); }}};
  for (const auto &[caption, done] : cases) {
    SCOPED_TRACE(caption);
    t.window.hide();
    menu.PrepareMenu();
    EXPECT_EQ(menu.mnuMonitor().isChecked(), t.engine.MonitorEnabled());
    const QList<QAction *> entries = menu.Menu().actions();
    const auto entry = std::ranges::find(entries, QString(caption), &QAction::text);
    ASSERT_NE(entry, entries.end());
    (*entry)->trigger();
    EXPECT_TRUE(QTest::qWaitFor(done, 2000));
  }
  t.window.hide();
  menu.IconActivated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(t.window.isVisible());
  menu.IconActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(t.window.isVisible());
}

} // namespace
} // namespace vidtrawl::testing
