// The desktop program on Qt's offscreen platform: start-up, the movie's
// controls and variables, the tray menu, the window filters and the ways out.
#include "gui/Desktop.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QQuickItem>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vidtrawl::testing {
namespace {

using Commands = std::vector<std::string>;

// The desktop program over a private settings file, with recording hosts in
// place of the dialogs and the desktop's opener.
struct TestDesktop {
  explicit TestDesktop(QString dataFolder = QStringLiteral(VIDTRAWL_TEST_DATA_DIR)) {
    gui::Desktop::Options options;
    options.dataFolder = std::move(dataFolder);
    options.messages = &messages;
    options.shell = &recorder;
    options.folders = &recorder;
    options.engine.connections = net::ConnectionMap{};
    options.engine.registryFile = dir / "registry.ini";
    options.engine.scratchFolder = dir / "scratch";
    desktop = std::make_unique<gui::Desktop>(std::move(options));
    desktop->Start();
    QApplication::processEvents(); // the movie announces its page on its first turn
  }
  ~TestDesktop() { desktop->Window().StopHook(); }

  gui::MovieBridge &Movie() { return desktop->Window().Movie(); }
  QQuickItem *Item(const char *name) {
    return Movie().rootObject()->findChild<QQuickItem *>(QString::fromLatin1(name));
  }
  // The movie's commands from now on go to `sent` instead of the engine.
  void RecordCommands() {
    Movie().OnCommand(
        [this](const std::string &command, const std::string &) { sent.push_back(command); });
  }
  void Click(const char *name) {
    QQuickItem *item = Item(name);
    ASSERT_NE(item, nullptr) << name;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(&Movie(), Qt::LeftButton, {}, centre.toPoint());
  }

  TempDir dir;
  RecordingMessageBox messages;
  RecordingDesktop recorder;
  std::unique_ptr<gui::Desktop> desktop;
  Commands sent;
};

TEST(DesktopStartUp, WindowMovieGridTrayAndSettingsInPlace) {
  TestDesktop t;
  gui::frmMain &window = t.desktop->Window();
  EXPECT_EQ(window.windowTitle(), "Vidtrawl");
  EXPECT_EQ(window.size(), QSize(630, 535));
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(t.Movie().geometry(), QRect(0, 0, 630, 535));
  EXPECT_EQ(window.Grid().geometry(), QRect(29, 190, 570, 177));
  // The movie shows its download page at start, which brings the grid forward.
  EXPECT_TRUE(window.Grid().isVisibleTo(&window));
  EXPECT_TRUE(t.Item("aboutText")->property("text").toString().startsWith("Version 0.1.0.0\n"));
  EXPECT_EQ(t.Item("folderText")->property("text").toString().toStdString(),
            (std::filesystem::path(std::getenv("HOME")) / "Downloaded Videos").string());
  EXPECT_EQ(t.desktop->Menu().Icon().toolTip(), "Vidtrawl");
  EXPECT_TRUE(window.Hooked());
  EXPECT_TRUE(t.messages.shown.empty());
}

TEST(DesktopStartUp, AMissingOrBrokenMovieLeavesAnEmptyWindow) {
  TempDir data;
  for (const char *movie : {"", "import QtQuick\nItem { this is not QML"}) {
    SCOPED_TRACE(movie);
    if (*movie != '\0')
      WriteFile(data / "Main.qml", movie);
    ::testing::internal::CaptureStderr();
    TestDesktop t(QString::fromStdString(data.path().string()));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(t.Movie().Loaded());
    EXPECT_NE(err.find("the window stays empty"), std::string::npos) << err;
    // Variables set without a movie read back as they were set.
    t.Movie().SetFlashVariable("_root.video_url", "http://blip.tv/file/1");
    EXPECT_EQ(t.Movie().GetFlashVariable("_root.video_url"), "http://blip.tv/file/1");
  }
}

TEST(DesktopMovie, EveryControlSendsItsCommand) {
  TestDesktop t;
  t.RecordCommands();
  const struct {
    const char *control;
    Commands commands;
  } cases[] = {
      {"minimizeButton", {"IDC_FS_Minimize"}},
      {"trayButton", {"IDC_FS_Tray"}},
      {"closeButton", {"IDC_FS_Close"}},
      {"addButton", {"IDC_FS_addDownloadURL"}},
      {"selectAllButton", {"IDC_FS_selectAllD"}},
      {"removeSelectedButton", {"IDC_FS_removeSelectedD"}},
      {"moveUpButton", {"IDC_FS_moveUp"}},
      {"moveDownButton", {"IDC_FS_moveDown"}},
      {"clearCompletedButton", {"ID_FS_clearComplete"}},
      {"browseButton", {"ID_FS_downloadBrowse"}},
      {"monitorCheck", {"ID_FS_autoDownloadUncheck"}}, // monitoring is on at first
      {"monitorCheck", {"ID_FS_autoDownloadCheck"}},
      {"startStopButton", {"IDC_FS_startDownload"}},
      {"aboutTab", {"IDC_FS_Slider", "IDC_FS_About"}},
      {"helpButton", {"IDC_FS_Help"}},
      {"webSiteButton", {"ID_FS_webSite"}},
      {"downloadTab", {"IDC_FS_Slider", "IDC_FS_Download"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.control);
    t.sent.clear();
    t.Click(c.control);
    QTRY_COMPARE_WITH_TIMEOUT(t.sent.size(), c.commands.size(), 2000);
    EXPECT_EQ(t.sent, c.commands);
  }
  // A press on the title strip starts the drag; the running look sends stop.
  t.sent.clear();
  QQuickItem *title = t.Item("titleBar");
  QTest::mousePress(&t.Movie(), Qt::LeftButton, {},
                    title->mapToScene(QPointF(title->width() / 2, title->height() / 2)).toPoint());
  QTest::mouseRelease(
      &t.Movie(), Qt::LeftButton, {},
      title->mapToScene(QPointF(title->width() / 2, title->height() / 2)).toPoint());
  t.Movie().SetFlashVariable("_root.startDownload", "0");
  t.Click("startStopButton");
  EXPECT_EQ(t.sent, (Commands{"IDC_FS_Drag", "IDC_FS_stopDownload"}));
}

TEST(DesktopMovie, TheAddressTypedReachesTheList) {
  TestDesktop t;
  t.Click("urlField");
  QTest::keyClicks(&t.Movie(), QStringLiteral(" http://www.putfile.com/v/9"));
  t.Click("addButton");
  ASSERT_EQ(t.desktop->Engine().ItemCount(), 1u);
  EXPECT_EQ(t.desktop->Engine().Item(0).Video_URL, " http://www.putfile.com/v/9");
  EXPECT_EQ(t.desktop->Window().Grid().RowCount(), 1);
  EXPECT_EQ(t.Item("urlField")->property("text").toString(), "");
}

TEST(DesktopMovie, VariablesShowInTheMovie) {
  TestDesktop t;
  gui::MovieBridge &movie = t.Movie();
  movie.SetFlashVariable("_root.download_dir", "/srv/films");
  movie.SetFlashVariable("_root.video_url", "http://blip.tv/file/7");
  EXPECT_EQ(t.Item("folderText")->property("text").toString(), "/srv/films");
  EXPECT_EQ(t.Item("urlField")->property("text").toString(), "http://blip.tv/file/7");
  EXPECT_EQ(movie.GetFlashVariable("_root.video_url"), "http://blip.tv/file/7");
  for (const char *flag : {"0", "1"}) {
    movie.SetFlashVariable("_root.startDownload", flag);
    EXPECT_EQ(t.Item("startStopButton")->property("text").toString(),
              *flag == '1' ? "Start Downloading" : "Stop Downloading");
  }
  // A pass that begins on the About page brings the download page back.
  t.RecordCommands();
  t.Click("aboutTab");
  QTRY_COMPARE_WITH_TIMEOUT(movie.rootObject()->property("activePage").toString(),
                            QStringLiteral("About"), 2000);
  movie.SetFlashVariable("_root.downloadBtnTab", "1");
  QTRY_COMPARE_WITH_TIMEOUT(movie.rootObject()->property("activePage").toString(),
                            QStringLiteral("Download"), 2000);
  EXPECT_EQ(t.sent.back(), "IDC_FS_Download");
}

TEST(DesktopMovie, LinksDroppedOnTheWindowAreAdded) {
  TestDesktop t;
  QMimeData links;
  links.setUrls({QUrl(QStringLiteral("http://www.putfile.com/v/1")),
                 QUrl(QStringLiteral("http://www.example.org/not-a-site"))});
  QMimeData text;
  text.setText(QStringLiteral("http://blip.tv/file/2\nsome words\n"));
  for (QMimeData *data : {&links, &text}) {
    QWidget *target =
        data == &links ? static_cast<QWidget *>(&t.Movie()) : t.desktop->Window().Grid().viewport();
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
  }
  ASSERT_EQ(t.desktop->Engine().ItemCount(), 2u);
  EXPECT_EQ(t.desktop->Engine().Item(0).Video_URL, "http://www.putfile.com/v/1");
  EXPECT_EQ(t.desktop->Engine().Item(1).Video_URL, "http://blip.tv/file/2");
}

TEST(DesktopTray, MenuEntriesFollowTheEngine) {
  TestDesktop t;
  gui::frmMenu &menu = t.desktop->Menu();
  const QStringList captions = [&] {
    QStringList list;
    for (QAction *action : menu.Menu().actions())
      list << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return list;
  }();
  EXPECT_EQ(captions, (QStringList{"Vidtrawl", "-", "Start Downloading", "-",
                                   "Monitor Video URL's in Clipboard", "-", "Help", "About", "-",
                                   "Exit Vidtrawl"}));
  menu.PrepareMenu();
  EXPECT_TRUE(menu.mnuMonitor().isChecked());
  menu.mnuMonitor().trigger(); // switches monitoring off, not saved
  EXPECT_FALSE(t.desktop->Engine().MonitorEnabled());
  EXPECT_EQ(t.Item("monitorCheck")->property("checked").toBool(), false);
  menu.PrepareMenu();
  EXPECT_FALSE(menu.mnuMonitor().isChecked());

  menu.mnuHelp().trigger();
  EXPECT_EQ(t.recorder.calls.back(), "open " VIDTRAWL_TEST_DATA_DIR "/help.html");
  menu.mnuAbout().trigger();
  QTRY_COMPARE_WITH_TIMEOUT(t.Movie().rootObject()->property("activePage").toString(),
                            QStringLiteral("About"), 2000);

  // Hidden to the tray, the window comes back with a double-click only.
  t.desktop->Window().hide();
  menu.IconActivated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(t.desktop->Window().isVisible());
  menu.IconActivated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(t.desktop->Window().isVisible());

  menu.mnuExit().trigger();
  EXPECT_TRUE(t.desktop->Timers().TimerRunning(host::Timers::Id::End));
}

TEST(DesktopFilters, MovieLosesTheRightButtonGridGetsOneRowPerWheelTurn) {
  TestDesktop t;
  gui::frmMain &window = t.desktop->Window();
  window.show();
  std::vector<std::string> urls;
  for (int i = 0; i < 60; ++i)
    urls.push_back("http://www.putfile.com/v/" + std::to_string(i));
  t.desktop->Engine().AddLinks(urls);
  QApplication::processEvents(); // laid out, so that the grid can scroll

  // Presses the movie's filter lets through or eats.
  gui::MovieInputFilter filter;
  const QPointF at(10, 10);
  QMouseEvent right(QEvent::MouseButtonPress, at, at, Qt::RightButton, Qt::RightButton, {});
  QMouseEvent rightUp(QEvent::MouseButtonRelease, at, at, Qt::RightButton, {}, {});
  QMouseEvent left(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, {});
  QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_Menu, {});
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, {}, QStringLiteral("a"));
  EXPECT_TRUE(filter.eventFilter(&t.Movie(), &right));
  EXPECT_TRUE(filter.eventFilter(&t.Movie(), &menuKey));
  EXPECT_FALSE(filter.eventFilter(&t.Movie(), &rightUp));
  EXPECT_FALSE(filter.eventFilter(&t.Movie(), &left));
  EXPECT_FALSE(filter.eventFilter(&t.Movie(), &letter));

  QScrollBar *bar = window.Grid().verticalScrollBar();
  bar->setValue(10);
  auto turn = [&](QWidget *target, int delta) {
    const QPointF pos(5, 5);
    QWheelEvent wheel(pos, target->mapToGlobal(pos), {}, QPoint(0, delta), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
  };
  window.Grid().setFocus();
  turn(window.Grid().viewport(), 240); // away from the user: one earlier row
  EXPECT_EQ(bar->value(), 9);
  turn(&t.Movie(), -120); // anywhere over the window: one later row
  EXPECT_EQ(bar->value(), 10);
  t.Movie().setFocus();
  turn(window.Grid().viewport(), 120);
  EXPECT_EQ(bar->value(), 10);
  window.StopHook();
  EXPECT_FALSE(window.Hooked());
}

TEST(DesktopExit, CloseRequestsTakeTheExitPath) {
  TestDesktop t;
  gui::frmMain &window = t.desktop->Window();
  window.show();
  window.close(); // the window system's close: idle, so no question
  EXPECT_TRUE(t.messages.shown.empty());
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.Hooked());
  EXPECT_FALSE(t.desktop->Menu().Icon().isVisible());
}

} // namespace
} // namespace vidtrawl::testing
