// The desktop program on Qt's offscreen platform: its rules over a real engine, the list as Qt's
// views see it, its painter, drops and wheel, the movie's controls, the clipboard and the tray.
#include "gui/ChoiceMenu.h"
#include "gui/Desktop.h"
#include "gui/DrawProgressCell.h"
#include "gui/ItemLog.h"
#include "gui/ListColumns.h"
#include "gui/ListLook.h"
#include "gui/ListMenu.h"
#include "gui/MovieContract.h"
#include "gui/QtMessageBox.h"
#include "gui/RunTexts.h"
#include "gui/SettingsWindow.h"
#include "gui/SingleInstance.h"
#include "gui/StatusCellPainter.h"
#include "support/Nginx.h"
#include "support/RawServer.h"
#include "support/RecordingDesktop.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace vidtrawl::testing {
namespace {

using Box = gui::MessageBox;
using gui::DesktopController;

// One QApplication for the run: offscreen unless asked otherwise, the Fusion style so that every
// machine paints alike, and Qt Quick's software renderer as in the program.
struct QtApplication final : ::testing::Environment {
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    qputenv("VIDTRAWL_CONNECT_TO", "::127.0.0.1:1"); // engines not mapped otherwise reach no server
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

// Changes an engine's configuration as `change` says.
void Configure(engine::Engine &engine, const std::function<void(engine::Config &)> &change) {
  engine::Config config = engine.Settings();
  change(config);
  engine.Configure(std::move(config));
}

// The desktop's rules over an engine whose every site is one scripted server, with recording hosts.
struct Rules {
  // /done leads to a small video; /page to one whose server stops sending after 64 KB.
  Rules() {
    server.Serve("/small.flv", "abc");
    server.Serve("/done", "<param value=\"http://media.putfile.com/small.flv\">");
    server.Serve("/slow.flv", [](bool head) {
      const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 3000000\r\n\r\n";
      return RawServer::Reply{head ? ok : ok + std::string(65536, 'v'), !head};
    });
    server.Serve("/page", "<param value=\"http://media.putfile.com/slow.flv\">");
    Configure(engine, [&](engine::Config &c) { c.downloadDir = (dir / "videos").string(); });
    log.Follow(&engine);
  }
  ~Rules() { log.Unfollow(); }
  std::string Flags() { return desktop.Calls(); }

  TempDir dir;
  ContentServer server;
  RecordingDesktop desktop;
  RecordingMessageBox messages;
  gui::QtEventLoop loop;
  gui::ItemLog log;
  engine::Engine engine{
      {loop},
      {{":80:127.0.0.1:" + std::to_string(server.server.port())}, dir / "registry.ini", &log}};
  DesktopController controller{
      engine,
      {desktop, desktop, desktop, desktop, desktop, desktop, messages, desktop},
      "/help.html",
      "https://vidtrawl.example.org/"};
};

// Each of the movie's commands, and what it does or asks of the window system.
TEST(DesktopController, EachMovieCommandDoesItsPart) {
  Rules r;
  r.controller.Start(1, 2, 3);
  EXPECT_EQ(r.desktop.Calls(), "aboutTxt=Version 1.2.3\r\n" + std::string(gui::movie::kAboutText) +
                                   "; webSiteShown=1; watch on; autoToDownloadList_CB=1; "
                                   "Download_CB=1; Convert_CB=1; download_dir=" +
                                   r.engine.DownloadDir() + "; simultaneousDownloads=3");
  r.desktop.chosenFolder = "/srv/films";
  r.desktop.variables["_root.simultaneousDownloads"] = "40";
  r.desktop.variables["_root.video_url"] = "  www.putfile.com/page \n";
  const std::pair<const char *, std::string> cases[] = {
      {"IDC_FS_Drag", "drag"},
      {"IDC_FS_Minimize", "minimize"},
      {"IDC_FS_Tray", "tray"},
      {"IDC_FS_Slider", "hide list"},
      {"IDC_FS_Download", "show list"},
      {"IDC_FS_About", "hide list"},
      {"IDC_FS_Help", "open /help.html"},
      {"ID_FS_webSite", "open https://vidtrawl.example.org/"},
      {"IDC_FS_addDownloadURL", ""},
      {"IDC_FS_selectAllD", "select all"},
      {"ID_FS_downloadBrowse", "choose Please sel; download_dir=/srv/films"},
      {"ID_FS_autoDownloadUncheck", "watch off"},
      {"ID_FS_autoDownloadCheck", "watch on"},
      {"ID_FS_simultaneousDownloads", "simultaneousDownloads=16"}, // 40, to its bound
      {"ID_FS_speedLimit", "limit menu"},
      {"ID_FS_details", "details"},
      {"ID_FS_settings", "settings"},
      {"idc_fs_drag", ""}}; // told apart by case
  for (const auto &[command, calls] : cases) {
    r.controller.Command(command);
    EXPECT_EQ(r.desktop.Calls(), calls) << command;
  }
  EXPECT_EQ(r.controller.ActivePage(), "About");
  EXPECT_TRUE(r.controller.StartPending()); // what was added starts by itself
  // The address without its blanks, secure as an address bar takes it.
  EXPECT_EQ(r.engine.Count(), 1u);
  EXPECT_EQ(r.engine.ItemAt(0).address, "https://www.putfile.com/page");
  EXPECT_NE(ReadFile(r.dir / "registry.ini").find("Download Dir=/srv/films"), std::string::npos);
  EXPECT_NE(ReadFile(r.dir / "registry.ini").find("Simultaneous Downloads=16"), std::string::npos);
  EXPECT_EQ(r.engine.Settings().simultaneousDownloads, 16);
  // The list's commands take the selected items (their removal confirmed).
  r.engine.Add({"http://www.putfile.com/2", "http://www.putfile.com/3"});
  r.desktop.selected = {3, 1};
  r.controller.Command("IDC_FS_moveUp");
  r.messages.answer = Box::Answer::Yes;
  r.controller.Command("IDC_FS_removeSelectedD");
  EXPECT_EQ(r.engine.Count(), 1u);
  EXPECT_EQ(r.engine.ItemAt(0).serial, 2u);
  r.desktop.selected = {2};
  r.controller.Command("IDC_FS_moveDown"); // the last item stays last
  r.controller.Command("ID_FS_clearComplete");
  EXPECT_EQ(r.engine.Count(), 1u);
  // A help document that nothing opens says so, and where it is.
  r.desktop.openFailure = "no program for it is installed";
  r.controller.Command("IDC_FS_Help");
  ASSERT_EQ(r.messages.shown.size(), 2u);
  EXPECT_EQ(r.messages.shown[1].text,
            "Vidtrawl could not open its help: no program for it is installed.\n\nThe help "
            "document is /help.html; you can open it in a web browser.");
}

// The toggle: no pass for an empty list or offline; a pass that ends by itself sets the idle flags
// again; a confirmed stop cancels the item and shows the idle state at once; the way out asks
// while a pass runs.
TEST(DesktopController, StartStopAndTheWayOut) {
  Rules r;
  std::string captions;
  r.controller.OnCaptionChanged([&] { captions += std::string(r.controller.Caption()) + ";"; });
  r.controller.Command("IDC_FS_stopDownload");
  EXPECT_EQ(r.Flags(), "startDownload=1");
  EXPECT_EQ(r.messages.shown.back().text, "Please add video URL's first.");
  EXPECT_EQ(r.messages.shown.back().title, "Empty List");
  r.engine.Add({"http://www.putfile.com/done"});
  r.desktop.online = false;
  r.controller.Command("IDC_FS_stopDownload");
  EXPECT_EQ(r.messages.shown.back().text,
            "You are not connected to the internet, Please connect first then try again");
  EXPECT_EQ(r.Flags(), "");
  r.desktop.online = true;
  r.controller.Command("IDC_FS_About");
  r.Flags();
  r.controller.Command("IDC_FS_startDownload"); // at the next turn, outside the command
  EXPECT_TRUE(r.controller.StartPending());
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return !r.engine.Empty() && r.engine.ItemAt(0).phase == engine::Phase::Complete &&
               !r.engine.Downloading();
      },
      5000));
  EXPECT_EQ(r.Flags(), "downloadBtn=0; startDownload=0; downloadTab=0; downloadBtnTab=1; "
                       "startDownload=1; downloadBtn=1; downloadTab=1");
  EXPECT_EQ(captions, "Stop Downloading;Start Downloading;");
  // With nothing left to download, a start says so.
  r.controller.Command("IDC_FS_stopDownload");
  EXPECT_EQ(r.messages.shown.back().title, "Nothing to Download");
  EXPECT_FALSE(r.engine.Downloading());
  // A stop confirmed during the transfer ends it at once.
  r.controller.Command("IDC_FS_Download");
  r.Flags();
  r.engine.ClearCompleted();
  r.engine.Add({"http://www.putfile.com/page", "ftp://www.example.org/x"});
  r.messages.answer = Box::Answer::Yes;
  r.controller.Command("IDC_FS_stopDownload");
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return r.engine.ItemAt(0).phase == engine::Phase::Receiving; }, 5000));
  r.controller.Command("IDC_FS_stopDownload");
  EXPECT_FALSE(r.engine.Downloading());
  EXPECT_EQ(engine::StatusText(r.engine.ItemAt(0)), "Cancelled");
  EXPECT_EQ(r.Flags(), "downloadBtn=0; startDownload=0; downloadTab=0; downloadBtn=1; "
                       "startDownload=1; downloadTab=1");
  EXPECT_EQ(r.messages.shown.back().text, "Are you sure that you want to cancel downloading?");
  // The way out: asked while a pass runs; "No" keeps everything, "Yes" stops and ends.
  r.messages.answer = Box::Answer::No;
  r.controller.Command("IDC_FS_stopDownload");
  r.controller.Exit();
  EXPECT_TRUE(r.engine.Downloading());
  r.messages.answer = Box::Answer::Yes;
  r.controller.Exit();
  r.controller.Exit(); // a second request while ending
  EXPECT_EQ(r.messages.shown.back().text,
            "Download is in Progress, Are you sure that you want to exit?");
  EXPECT_EQ(r.Flags(), "downloadBtn=0; startDownload=0; downloadTab=0; downloadBtn=1; "
                       "startDownload=1; downloadTab=1; unfilter; watch off; unload menu; end");
  EXPECT_FALSE(r.engine.Settings().monitor);
}

// What the list offers for its items: a complete one's file (by its name's bytes, UTF-8 or not) and
// folder open by their absolute paths (a failure is told), addresses are copied, failed items wait
// again.
TEST(DesktopController, TheListsOwnCommands) {
  Rules r;
  r.engine.Add({"http://www.putfile.com/done", "http://www.putfile.com/missing"});
  r.engine.Rename(1, "caf\xe9.flv");
  r.engine.StartPass();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !r.engine.Downloading(); }, 5000));
  const std::string videos = (r.dir / "videos").string();
  r.desktop.Calls();
  r.controller.OpenFile(1);
  r.controller.OpenFile(2); // not complete: nothing to open
  r.controller.OpenFolder(2);
  r.controller.CopyAddresses({2, 1});
  EXPECT_EQ(r.desktop.Calls(), "open " + videos + "/caf\xe9.flv; open " + videos +
                                   "; copy http://www.putfile.com/missing\n"
                                   "http://www.putfile.com/done");
  r.desktop.openFailure = "no program for it is installed";
  r.controller.OpenFolder(1);
  EXPECT_EQ(r.messages.shown.back().text,
            "Vidtrawl could not open the folder " + videos + ": no program for it is installed.");
  // Each item's log: its phases and requests, and nothing of another.
  const std::string log = r.log.Text({1});
  EXPECT_NE(log.find("[item] waiting -> resolving: taken by the pass"), std::string::npos) << log;
  EXPECT_NE(log.find("[http] GET http://www.putfile.com/done"), std::string::npos) << log;
  EXPECT_EQ(log.find("missing"), std::string::npos) << log;
  // The menu: entries that cannot act on the items are disabled; Retry and Remove act.
  QMenu menu;
  const auto entries = [&](std::vector<engine::Serial> items) {
    gui::FillListMenu(menu, r.controller, r.engine, items,
                      {[&](const std::vector<engine::Serial> &of) { return r.log.Text(of); }});
    std::string shown;
    for (const QAction *action : menu.actions())
      if (!action->isSeparator())
        shown += (action->isEnabled() ? "" : "-") + action->text().toStdString() + ";";
    return shown;
  };
  EXPECT_EQ(entries({1}),
            "&Open File;Open &Folder;&Copy Address;Copy &Log;-&Retry;-&Pause;-Res&ume;"
            "Re&move;&Details;&Settings…;");
  r.desktop.Calls();
  menu.actions()[3]->trigger();
  EXPECT_EQ(r.desktop.Calls(), "copy " + log);
  EXPECT_EQ(entries({2, 1}), "&Open File;Open &Folder;&Copy Addresses;Copy &Log;&Retry;-&Pause;-"
                             "Res&ume;Re&move;&Details;&Settings…;");
  menu.actions()[5]->trigger(); // started at once, alone
  EXPECT_EQ(r.engine.RunningItems(), std::vector<engine::Serial>{2});
  EXPECT_EQ(r.engine.ItemAt(0).phase, engine::Phase::Complete);
  EXPECT_EQ(entries({2}),
            "-&Open File;Open &Folder;&Copy Address;Copy &Log;-&Retry;&Pause;-Res&ume;"
            "Re&move;&Details;&Settings…;");
  menu.actions()[6]->trigger();
  EXPECT_EQ(engine::StatusText(r.engine.ItemAt(1)), "Paused");
  EXPECT_EQ(entries({2}),
            "-&Open File;Open &Folder;&Copy Address;Copy &Log;-&Retry;-&Pause;Res&ume;"
            "Re&move;&Details;&Settings…;");
  menu.actions()[7]->trigger(); // the pass takes it again
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return r.engine.RunningItems() == std::vector<engine::Serial>{2}; }, 2000));
  // The speed limit's steps, the one set checked; a step taken holds and is kept.
  gui::SpeedLimitMenu speeds([&] { return r.controller.SpeedLimit(); },
                             [&](std::uint64_t limit) { r.controller.SetSpeedLimit(limit); });
  gui::SpeedLimitMenu *limits = &speeds;
  limits->actions()[4]->trigger(); // after "No Limit" and its separator: 256 KB, 512 KB, 1 MB
  EXPECT_EQ(r.engine.Settings().speedLimit, 1u << 20);
  EXPECT_NE(ReadFile(r.dir / "registry.ini").find("Speed Limit=1M"), std::string::npos);
  Configure(r.engine, [&](engine::Config &c) { c.speedLimit = 300000; });
  limits->Refresh();
  std::string steps;
  for (const QAction *step : limits->actions())
    steps += step->isSeparator()
                 ? std::string("|")
                 : (step->isChecked() ? "*" : "") + step->text().toStdString() + ";";
  EXPECT_EQ(steps, "&No Limit;|256 KB/s;*293 KB/s;512 KB/s;1 MB/s;2 MB/s;5 MB/s;10 MB/s;");
  r.desktop.selected = {1};
  entries({1});
  menu.actions()[8]->trigger();
  EXPECT_EQ(r.engine.Count(), 1u);
  // Removing more than one item asks first; "Do not ask again", ticked, holds once one is removed.
  r.engine.Add({"http://blip.tv/file/3", "http://blip.tv/file/4", "http://blip.tv/file/5",
                "http://blip.tv/file/6"});
  const std::tuple<std::vector<engine::Serial>, Box::Answer, std::size_t, std::size_t> removals[] =
      {{{3, 4}, Box::Answer::No, 1, 5},
       {{3}, Box::Answer::Yes, 1, 4},
       {{4, 5}, Box::Answer::Yes, 2, 2},
       {{2, 6}, Box::Answer::No, 2, 0}};
  r.messages.tick = true;
  for (const auto &[selected, answer, asked, left] : removals) {
    r.desktop.selected = selected;
    r.messages.answer = answer;
    r.controller.RemoveSelected();
    EXPECT_EQ(r.messages.shown.size() - 1, asked) << selected.front();
    EXPECT_EQ(r.engine.Count(), left) << selected.front();
  }
  EXPECT_EQ(r.messages.shown.back().text,
            "Remove the 2 selected items from the download list? This cannot be undone.");
  EXPECT_EQ(r.messages.shown.back().checkBox, "Do not ask again");
  Configure(r.engine, [&](engine::Config &c) {
    c.downloadDir = "-videos";
  }); // relative: never an option of the opener's
  r.engine.Add({"http://www.putfile.com/7"});
  r.desktop.Calls();
  r.controller.OpenFolder(7);
  EXPECT_EQ(r.desktop.Calls(), "open " + (std::filesystem::current_path() / "-videos").string());
}

// The note at a pass's end counts the pass's own items and names its failed ones by file name, or
// by address while they have none; the failures of earlier passes are not in it.
TEST(DesktopController, APassEndsWithANoteOfItsOwnItems) {
  Rules r;
  std::vector<std::string> notes;
  r.controller.OnPassEnded([&](const DesktopController::PassEnd &end) {
    notes.push_back(r.controller.PassEndNote(end.summary));
  });
  r.engine.Add({"http://www.putfile.com/missing", "http://www.putfile.com/gone",
                "http://www.putfile.com/done"});
  r.engine.Rename(2, "mine.flv");
  for (int pass = 0; pass < 2; ++pass) {
    r.engine.StartPass();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !r.engine.Downloading(); }, 5000));
  }
  const auto reason = [&](std::size_t index) { return engine::ReasonText(r.engine.ItemAt(index)); };
  EXPECT_EQ(notes,
            (std::vector<std::string>{"1 complete, 2 failed.\nhttp://www.putfile.com/missing: " +
                                          reason(0) + "\nmine.flv: " + reason(1),
                                      "0 complete, 0 failed."}));
}

// The desktop's opener hands xdg-open a path as its bytes, and says when nothing is at a path.
TEST(DesktopOpener, HandsAPathOverAsItsBytes) {
  TempDir dir;
  const std::string file = (dir / "caf\xe9.flv").string();
  WriteFile(file, "v");
  // In xdg-open's place (it opens nothing a test could see), one that notes what it was given.
  WriteFile(dir / "xdg-open", "#!/bin/sh\nprintf %s \"$1\" >\"$0.got\"\n");
  std::filesystem::permissions(dir / "xdg-open", std::filesystem::perms::owner_all);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(dir.path().string() + ":") + path);
  std::vector<std::string> failures;
  gui::DesktopOpener opener;
  for (const std::string &target : {file, (dir / "gone.flv").string()})
    opener.Open(target, [&](const std::string &reason) { failures.push_back(reason); });
  qputenv("PATH", path);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return ReadFile(dir / "xdg-open.got") == file && !failures.empty(); }, 5000));
  EXPECT_EQ(ReadFile(dir / "xdg-open.got"), file);
  EXPECT_EQ(failures, std::vector<std::string>{"there is no such file or folder"});
}

// How far downloads are, in words: a row's progress (kept while it is paused), speed and time
// left; the status line's counts, speed and time left for the pass.
TEST(RunTexts, RowsAndTheStatusLine) {
  const auto item = [](engine::Phase phase, std::uint64_t received, std::uint64_t total,
                       double rate = 0, std::size_t fragments = 0) {
    engine::ItemView view;
    view.phase = phase;
    view.received = received;
    view.total = total;
    view.bytesPerSecond = rate;
    view.fragments = fragments;
    view.fragmentsStored = fragments / 2;
    return view;
  };
  using engine::Phase;
  const std::tuple<engine::ItemView, std::string, std::string> rows[] = {
      {item(Phase::Receiving, 1 << 20, 4 << 20, 1 << 20), "25% · 1 MB of 4 MB", "1 MB/s 3 s"},
      {item(Phase::Paused, 3 << 20, 4 << 20), "75% · 3 MB of 4 MB", " "},
      {item(Phase::Receiving, 3 << 20, 2 << 20, 1 << 20), "3 MB", "1 MB/s "},
      // A stream's estimate is told as one, and not once its bytes have reached it.
      {item(Phase::Receiving, 1 << 20, 4 << 20, 1 << 20, 8), "25% · 1 MB of about 4 MB",
       "1 MB/s 3 s"},
      {item(Phase::Receiving, 4 << 20, 4 << 20, 1 << 20, 8), "99% · 4 MB", "1 MB/s "},
      {item(Phase::Resolving, 0, 0), "", " "},
      {item(Phase::Unsupported, 0, 0), "the address belongs to no supported site", " "}};
  for (const auto &[view, progress, speedAndLeft] : rows) {
    EXPECT_EQ(gui::ProgressText(view), progress);
    EXPECT_EQ(gui::RowSpeedText(view) + " " + gui::TimeLeftText(view), speedAndLeft) << progress;
  }
  engine::PhaseCounts counts;
  for (const auto &[phase, n] : {std::pair{Phase::Receiving, 2},
                                 {Phase::Asking, 1},
                                 {Phase::Waiting, 5},
                                 {Phase::Complete, 3},
                                 {Phase::Failed, 1}})
    counts.byPhase[static_cast<std::size_t>(phase)] = n;
  const std::pair<engine::PassProgress, std::string> passes[] = {
      {{4 << 20, 256 << 20, 0, 64},
       "3 running · 5 waiting · 3 done · 1 failed · 4 MB/s · 1 min 4 s left"},
      {{4 << 20, 256 << 20, 2, 64},
       "3 running · 5 waiting · 3 done · 1 failed · 4 MB/s · over 1 min 4 s left"},
      {{0, 0, 3, std::nullopt}, "3 running · 5 waiting · 3 done · 1 failed"}};
  for (const auto &[pass, line] : passes)
    EXPECT_EQ(gui::PassLine(counts, pass), line);
  counts = {};
  counts.byPhase[static_cast<std::size_t>(Phase::Paused)] = 2;
  EXPECT_EQ(gui::PassLine(counts, {}), "2 paused");
  EXPECT_EQ(gui::LimitText(1 << 20) + "|" + gui::LimitText(0), "Limit 1 MB/s|");
  for (const auto &[seconds, text] :
       {std::pair{0.4, "0 s"}, {59.6, "1 min 0 s"}, {3 * 3600 + 400.0, "3 h 6 min"}})
    EXPECT_EQ(gui::DurationText(seconds), text);
}

// A question on screen holds no download up: the stop's question stays 6 s while nginx, which
// drops a client that takes nothing for 3 s, sends a file; answered No, the item completes whole.
TEST(DesktopController, AQuestionOnScreenHoldsNoDownloadUp) {
  VIDTRAWL_NEEDS_TOOL(Nginx::Installed(), "nginx");
  Rules r;
  Nginx nginx(r.dir / "nginx", "send_timeout 3s; limit_rate 8m;");
  const std::string body = Pattern(32 << 20, 5);
  WriteFile(r.dir / "nginx/www/clip.mp4", body);
  gui::QtMessageBox box;
  DesktopController controller(
      r.engine, {r.desktop, r.desktop, r.desktop, r.desktop, r.desktop, r.desktop, box, r.desktop},
      "/help.html", "https://vidtrawl.example.org/");
  r.engine.Add({nginx.Url("/clip.mp4")});
  controller.Command("IDC_FS_stopDownload");
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return r.engine.ItemAt(0).phase == engine::Phase::Receiving; }, 5000));
  const auto asked = std::chrono::steady_clock::now();
  QTimer::singleShot(6000, Qt::PreciseTimer, [] {
    if (auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
      question->button(QMessageBox::No)->click();
  });
  controller.Command("IDC_FS_stopDownload");
  EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::seconds(6));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !r.engine.Downloading(); }, 30000));
  EXPECT_EQ(engine::StatusText(r.engine.ItemAt(0)), "Complete")
      << engine::ReasonText(r.engine.ItemAt(0));
  EXPECT_TRUE(ReadFile(r.dir / "videos/clip.mp4") == body);
}

// A page the site extractor finds to be a playlist: its own video downloads while the question
// about the others is on screen, asked once; "all 2" adds and downloads the other.
TEST(DesktopController, APlaylistIsAskedAboutWhileThePagesVideoDownloads) {
  Rules r;
  r.server.Serve("/two.flv", "defg");
  WriteFile(r.dir / "x", R"(#!/bin/sh
echo '{"_type":"playlist","entries":[{"title":"One","url":"http://www.example.com/small.flv",
  "protocol":"http"},{"url":"http://www.example.com/two.flv","protocol":"http"}]}')");
  std::filesystem::permissions(r.dir / "x", std::filesystem::perms::owner_all);
  WriteFile(r.dir / "registry.ini", "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                                    "Download Dir=" +
                                        (r.dir / "videos").string() +
                                        "\nExtractor=" + (r.dir / "x").string() + "\n");
  gui::QtMessageBox box;
  DesktopController controller(
      r.engine, {r.desktop, r.desktop, r.desktop, r.desktop, r.desktop, r.desktop, box, r.desktop},
      "/help.html", "https://vidtrawl.example.org/");
  controller.Start(1, 2, 3);
  std::string asked;
  QTimer answer;
  answer.callOnTimeout([&] {
    auto *question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (question != nullptr && r.engine.ItemAt(0).phase == engine::Phase::Complete) {
      asked += (question->text() + " | " + question->button(QMessageBox::Yes)->text() + "\n")
                   .toStdString();
      question->button(QMessageBox::Yes)->click();
    }
  });
  answer.start(20);
  r.engine.Add({"http://vimeo.com/9"});
  r.engine.StartPass();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return r.engine.Count() == 2 && r.engine.Counts()[engine::Phase::Complete] == 2; },
      20000));
  EXPECT_EQ(asked, "The page http://vimeo.com/9 is a playlist of 2 videos. Download all 2, or "
                   "only the page's video? | Download &All 2\n");
  EXPECT_EQ(ReadFile(r.dir / "videos/One.mp4") + ReadFile(r.dir / "videos/two.flv"), "abcdefg");
}

// The program put together, over a private settings file, with recording hosts.
struct TestDesktop {
  // `settings`: the settings file's text to start with.
  explicit TestDesktop(const std::string &settings = {})
      : desktop((WriteFile(dir / "registry.ini", settings),
                 std::make_unique<gui::Desktop>(
                     gui::Desktop::Options{.dataFolder = QStringLiteral(VIDTRAWL_TEST_DATA_DIR),
                                           .messages = &messages,
                                           .connectivity = &recorder,
                                           .shell = &recorder,
                                           .folders = &recorder,
                                           .clipboard = &recorder,
                                           .engine = {.registryFile = dir / "registry.ini"},
                                           .listFile = dir / "list.json"}))) {
    desktop->Start();
    QApplication::processEvents(); // the movie announces its page on its first turn
  }
  QQuickItem *Item(const char *name) {
    return movie.rootObject()->findChild<QQuickItem *>(QString::fromLatin1(name));
  }
  QString Page() { return movie.rootObject()->property("activePage").toString(); }
  std::string Shown(int row, int column) const {
    return list.model()->index(row, column).data().toString().toStdString();
  }

  TempDir dir;
  RecordingMessageBox messages;
  RecordingDesktop recorder;
  std::unique_ptr<gui::Desktop> desktop;
  gui::MainWindow &window = desktop->Window();
  gui::MovieBridge &movie = window.Movie();
  gui::DownloadListView &list = window.List();
  engine::Engine &engine = desktop->Engine();
};

// Started without its movie, the program says so with the folder it looked in and shows no window.
// A later start's addresses are added and downloaded; with none, the window comes forward; a
// running program that cannot be reached takes nothing.
TEST(DesktopStart, AMissingMovieIsToldAndALaterStartIsHandedOver) {
  Rules r;
  RecordingMessageBox messages;
  const std::string nowhere = (r.dir / "nowhere").string();
  gui::Desktop missing({.dataFolder = QString::fromStdString(nowhere),
                        .messages = &messages,
                        .engine = {{}, r.dir / "registry.ini"},
                        .listFile = {}});
  EXPECT_FALSE(missing.Start());
  EXPECT_FALSE(missing.Window().isVisible());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].text.find("was looked for in " + nowhere + "."), std::string::npos);
  r.controller.HandedOver({});
  r.controller.HandedOver({"http://www.putfile.com/done"});
  EXPECT_EQ(r.desktop.Calls(), "bring forward");
  EXPECT_EQ(r.engine.Count(), 1u);
  EXPECT_TRUE(r.controller.StartPending());
  // A running program that cannot be reached does not take them: the later start says so.
  const QString socket = QString::fromStdString((r.dir / "program").string());
  gui::SingleInstance running(socket), later(socket);
  EXPECT_TRUE(running.Claim());
  EXPECT_FALSE(later.Claim());
  QFile::remove(socket);
  EXPECT_FALSE(
      later.HandOver({{"http://www.putfile.com/done"}, ""}, std::chrono::milliseconds(300)));
}

// The model as Qt's own checker sees it, which ends the test at its first fault: a pass during
// which a running item is removed, rows move, the rows on screen are sorted anew, the complete
// ones are cleared, the runs tick, and most of the list goes at once as many scattered rows.
TEST(DownloadListModel, QtsCheckerFindsNoFaultThroughAPassOfEdits) {
  Rules r;
  gui::DownloadListModel model(r.engine);
  QSortFilterProxyModel sorted;
  sorted.setSourceModel(&model);
  sorted.setSortRole(gui::DownloadListModel::SortRole);
  using Check = QAbstractItemModelTester::FailureReportingMode;
  const QAbstractItemModelTester checkModel(&model, Check::Fatal),
      checkSorted(&sorted, Check::Fatal);
  sorted.sort(gui::kColumnStatus);
  std::vector<std::string> addresses;
  for (int i = 0; i < 150; ++i) // every third page's video completes, the others' stall
    addresses.push_back("http://www.putfile.com/" + std::string(i % 3 == 0 ? "done" : "page") +
                        "?n=" + std::to_string(i));
  r.engine.Add(addresses);
  Configure(r.engine, [](engine::Config &c) { c.simultaneousDownloads = 4; });
  r.engine.StartPass();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const engine::PhaseCounts counts = r.engine.Counts();
        return counts[engine::Phase::Receiving] >= 2 && counts[engine::Phase::Complete] >= 1;
      },
      10000));
  r.engine.Remove({r.engine.RunningItems().front()});
  r.engine.MoveDown(r.engine.SerialAt(0));
  r.engine.MoveUp(r.engine.SerialAt(5));
  sorted.sort(gui::kColumnSize, Qt::DescendingOrder);
  r.engine.ClearCompleted();
  QTest::qWait(300); // a few ticks of the runs
  std::vector<engine::Serial> scattered;
  for (std::size_t i = 0; i < r.engine.Count(); i += 2)
    scattered.push_back(r.engine.SerialAt(i));
  r.engine.Remove(scattered);
  r.engine.RequestStop();
  ASSERT_EQ(model.rowCount(), static_cast<int>(r.engine.Count()));
  for (int row = 0; row < model.rowCount(); ++row)
    EXPECT_EQ(model.SerialAt(row), r.engine.SerialAt(static_cast<std::size_t>(row)));
}

// Each item's texts in its row and its reason in the tooltips; a change of an item is one
// dataChanged of its row; rows come and go as the list's items do, and the selection follows
// them; a name typed into the cell renames the item, or is refused; a header's click sorts the rows
// on screen.
TEST(DownloadListModel, TheListAsTheViewsSeeIt) {
  TestDesktop t("[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\nRetries=0\n");
  t.engine.Add(
      {"http://www.youtube.com/watch?v=1", "ftp://www.example.org/u", "http://www.putfile.com/3"});
  const QAbstractItemModel &model = *t.list.model();
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(t.Shown(1, 0) + "|" + t.Shown(1, 1) + "|" + t.Shown(1, 2) + "|" + t.Shown(1, 3) + "|" +
                t.Shown(1, 4),
            "2|ftp://www.example.org/u|ERROR|Link is not supported|????");
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  t.engine.StartPass(); // the first and third fail: no server answers
  ASSERT_TRUE(QTest::qWaitFor([&] { return !t.engine.Downloading(); }, 30000));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return t.movie.Get(gui::movie::kPassStatus) == "3 failed"; }, 2000));
  EXPECT_EQ(model.index(1, gui::kColumnStatus).data(Qt::ToolTipRole).toString().toStdString(),
            "the address belongs to no supported site");
  EXPECT_NE(model.index(0, gui::kColumnAddress)
                .data(Qt::ToolTipRole)
                .toString()
                .toStdString()
                .find("http://www.youtube.com/watch?v=1\nthe page could not be fetched: "),
            std::string::npos);
  EXPECT_GE(changed.count(), 3);
  for (const QList<QVariant> &signal : changed)
    EXPECT_EQ(signal[0].toModelIndex().row(), signal[1].toModelIndex().row());
  EXPECT_FALSE(
      model.index(0, gui::kColumnStatus).data(gui::DownloadListModel::PercentRole).isValid());
  // The details pane tells the selected item's address, and why it failed in full, in sight in a
  // low pane too.
  t.window.ShowList();
  t.window.SetDetails(true);
  t.list.selectRow(0);
  QApplication::processEvents();
  std::string details;
  for (const QLineEdit *field : t.window.Details().findChildren<QLineEdit *>())
    details += field->accessibleName().toStdString() + ": " + field->text().toStdString() + "\n";
  for (const QLabel *label : t.window.Details().findChildren<QLabel *>())
    if (label->isVisible() && label->height() > 0 &&
        label->text().startsWith(QStringLiteral("the page could not")))
      details += "why: shown";
  EXPECT_NE(details.find("Page: http://www.youtube.com/watch?v=1\n"), std::string::npos) << details;
  EXPECT_NE(details.find("why: shown"), std::string::npos) << details;
  t.list.clearSelection();
  // The selection follows moved rows; a removal takes the selected items only.
  t.list.selectionModel()->select(model.index(2, 1),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
  t.engine.MoveUp(3);
  EXPECT_EQ(t.list.SelectedItems(), std::vector<engine::Serial>{3});
  EXPECT_TRUE(t.list.selectionModel()->isSelected(model.index(1, 1)));
  QSignalSpy renumbered(&model, &QAbstractItemModel::dataChanged);
  t.engine.Remove(t.list.SelectedItems());
  EXPECT_EQ(t.Shown(1, 1), "ftp://www.example.org/u");
  EXPECT_EQ(t.Shown(1, 0), "2");
  EXPECT_EQ(renumbered.count(), 1); // the views learn that the later rows' numbers changed
  // Names typed into the cell (Enter commits): cleaned, refused, or not editable at all. The editor
  // starts with the item's name, or empty while it has none.
  const std::tuple<int, const char *, const char *, const char *> edits[] = {
      {gui::kColumnFileName, "", "my:clip?.flv", "myclip.flv"},
      {gui::kColumnFileName, "myclip.flv", "???", "myclip.flv"},
      {gui::kColumnStatus, "no editor", "Complete", "myclip.flv"}};
  for (const auto &[column, starts, typed, name] : edits) {
    SCOPED_TRACE(typed);
    t.list.setCurrentIndex(model.index(0, column));
    t.list.edit(model.index(0, column));
    std::string opened = "no editor";
    for (QLineEdit *editor : t.list.viewport()->findChildren<QLineEdit *>())
      if (editor->isVisible()) {
        opened = editor->text().toStdString();
        editor->setText(QString::fromUtf8(typed));
        QTest::keyClick(editor, Qt::Key_Return);
      }
    QApplication::processEvents();
    EXPECT_EQ(opened, starts);
    EXPECT_EQ(t.Shown(0, gui::kColumnFileName), name);
  }
  EXPECT_TRUE(t.engine.ItemAt(0).nameTyped);
  // A click on a column's header sorts the rows on screen by it; the list keeps its order.
  QHeaderView &header = *t.list.horizontalHeader();
  QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                    QPoint(header.sectionViewportPosition(gui::kColumnAddress) + 5, 5));
  EXPECT_EQ(t.Shown(0, gui::kColumnAddress) + " " + t.Shown(0, gui::kColumnID),
            "ftp://www.example.org/u 2");
  EXPECT_EQ(t.engine.ItemAt(0).address, "http://www.youtube.com/watch?v=1");
  t.list.selectRow(0);
  EXPECT_EQ(t.list.SelectedItems(), std::vector<engine::Serial>{2});
  // The number column fits its numbers.
  const int margin = t.list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
  for (const std::size_t count : {10, 100, 32767}) {
    std::vector<std::string> more;
    for (std::size_t n = t.engine.Count(); n < count; ++n)
      more.push_back("http://www.putfile.com/" + std::to_string(n));
    t.engine.Add(more);
    EXPECT_GE(t.list.columnWidth(gui::kColumnID),
              t.list.fontMetrics().horizontalAdvance(QString::number(count)) + 2 * margin)
        << count;
  }
}

// Rows are selected whole; Enter asks for the selected file, Delete removes the selected rows, and
// the context menu comes from the mouse (selecting the row under it) or the keyboard. A paste into
// the address field replaces the address the clipboard monitor put there. Links dropped on the
// window are added when they name a site: a list of links and plain text. The wheel over the list
// scrolls a row a notch, each way, focused or not.
TEST(DesktopWindow, RowsKeysMenuPasteDropsAndTheWheel) {
  TestDesktop t;
  t.engine.Add(
      {"http://www.putfile.com/1", "http://www.putfile.com/2", "http://www.putfile.com/3"});
  t.window.ShowList();
  QObject::disconnect(&t.list, &gui::DownloadListView::menuRequested, nullptr, nullptr);
  QSignalSpy open(&t.list, &gui::DownloadListView::openRequested);
  QSignalSpy menu(&t.list, &gui::DownloadListView::menuRequested);
  const auto cell = [&](int row, int column) {
    return t.list.visualRect(t.list.model()->index(row, column)).center();
  };
  QTest::mouseClick(t.list.viewport(), Qt::LeftButton, {}, cell(1, gui::kColumnSize));
  QTest::keyClick(&t.list, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(t.list.SelectedItems(), (std::vector<engine::Serial>{2, 3}));
  QTest::keyClick(&t.list, Qt::Key_Return);
  ASSERT_EQ(open.count(), 1);
  EXPECT_EQ(open[0][0].value<engine::Serial>(), 2u);
  QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(), QPoint());
  QApplication::sendEvent(t.list.viewport(), &keyboard);
  // The right button on a selected row keeps the selection; on another row, it is the selection.
  for (const auto &[row, selected] :
       {std::pair{2, std::vector<engine::Serial>{2, 3}}, {0, std::vector<engine::Serial>{1}}}) {
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, cell(row, gui::kColumnAddress), QPoint());
    QApplication::sendEvent(t.list.viewport(), &mouse);
    EXPECT_EQ(t.list.SelectedItems(), selected) << row;
  }
  EXPECT_EQ(menu.count(), 3);
  // Keys as Qt's own views and the desktops' programs have them, from the address column: End and
  // Home go to the last and first rows, Shift+F10 opens the menu, F2 renames the row's item.
  int menus = menu.count();
  const auto state = [&] {
    std::string text = "row " + std::to_string(t.list.currentIndex().row());
    if (std::exchange(menus, menu.count()) != menu.count())
      text += ", menu";
    for (QLineEdit *editor : t.list.viewport()->findChildren<QLineEdit *>())
      if (editor->isVisible())
        text += ", column " + std::to_string(t.list.indexAt(editor->geometry().center()).column()) +
                " from '" + editor->text().toStdString() + "'";
    return text;
  };
  t.list.setCurrentIndex(t.list.model()->index(1, gui::kColumnAddress));
  const std::tuple<Qt::Key, Qt::KeyboardModifiers, std::string> keys[] = {
      {Qt::Key_End, {}, "row 2"},
      {Qt::Key_Home, {}, "row 0"},
      {Qt::Key_F10, Qt::ShiftModifier, "row 0, menu"},
      {Qt::Key_F2, {}, "row 0, column 2 from ''"},
      {Qt::Key_Escape, {}, "row 0"}};
  for (const auto &[key, modifiers, after] : keys) {
    QWidget *editor = t.list.viewport()->findChild<QLineEdit *>();
    QTest::keyClick(editor && editor->isVisible() ? editor : &t.list, key, modifiers);
    EXPECT_EQ(state(), after) << key;
  }
  QTest::mouseClick(t.list.viewport(), Qt::LeftButton, Qt::ShiftModifier, cell(1, gui::kColumnID));
  t.messages.answer = Box::Answer::Yes;
  QTest::keyClick(&t.list, Qt::Key_Delete);
  ASSERT_EQ(t.engine.Count(), 1u);
  EXPECT_EQ(t.engine.ItemAt(0).serial, 3u);

  QGuiApplication::clipboard()->setText(QStringLiteral("http://blip.tv/file/2"));
  t.movie.Set(gui::movie::kVideoUrl, "http://blip.tv/file/1");
  QQuickItem *field = t.Item("urlField");
  EXPECT_EQ(field->property("text").toString(), QStringLiteral("http://blip.tv/file/1"));
  field->forceActiveFocus();
  QTest::keySequence(t.movie.quickWindow(), QKeySequence::Paste);
  EXPECT_EQ(field->property("text").toString(), QStringLiteral("http://blip.tv/file/2"));
  QTest::keySequence(t.movie.quickWindow(), QKeySequence::Paste); // the user's own text grows
  EXPECT_EQ(field->property("text").toString().count(QStringLiteral("http")), 2);
  // The field's own menu, from a right click anywhere on its frame (here beside the globe, left of
  // the text), with nothing selected: its Paste too replaces the program's address.
  t.movie.Set(gui::movie::kVideoUrl, "http://blip.tv/file/3");
  const QPoint frame = field->parentItem()->mapToScene(QPointF(3, 10)).toPoint();
  // A right click there; the menu's entries (closed at once, its Paste chosen), or none.
  const auto menuAt = [&](QPoint at) {
    std::string captions;
    QTimer close;
    close.setSingleShot(true);
    QObject::connect(&close, &QTimer::timeout, [&] {
      auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
      if (shown == nullptr)
        return;
      for (QAction *action : shown->actions())
        if (!action->isSeparator())
          captions += action->text().toStdString() + (action->isEnabled() ? " " : " (off) ");
      shown->close();
      shown->actions()[2]->trigger();
    });
    close.start(0);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, t.movie.mapToGlobal(at));
    QApplication::sendEvent(&t.movie, &click);
    QApplication::processEvents(); // the timer has fired, menu or not
    return captions;
  };
  EXPECT_EQ(menuAt(frame), "Cu&t (off) &Copy (off) &Paste Select &All ");
  EXPECT_EQ(field->property("text").toString().toStdString(), "http://blip.tv/file/2");
  EXPECT_EQ(menuAt(frame + QPoint(0, 40)), ""); // below the field: no menu of its
  gui::LinkDropFilter drops([&](const std::string &text) { t.engine.AddText(text, true); });
  QMimeData none; // no links: left to the window
  QDragEnterEvent other(QPoint(5, 5), Qt::CopyAction, &none, Qt::LeftButton, Qt::NoModifier);
  EXPECT_FALSE(drops.eventFilter(&t.movie, &other));
  for (int kind : {0, 1}) {
    QMimeData data;
    if (kind == 0)
      data.setUrls({QUrl("http://www.putfile.com/a"), QUrl("ftp://www.example.org/b")});
    else
      data.setText("http://blip.tv/file/1\nnot an address");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(drops.eventFilter(&t.movie, &enter));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(drops.eventFilter(&t.movie, &drop));
  }
  ASSERT_EQ(t.engine.Count(), 3u);
  EXPECT_EQ(t.engine.ItemAt(2).address, "http://blip.tv/file/1");
  // Ctrl+V on the list: every address of a three-line text is an item of its own (offline, so
  // that their start reaches no one).
  t.recorder.online = false;
  QGuiApplication::clipboard()->setText(QStringLiteral(
      "http://blip.tv/file/7\r\nsee http://www.putfile.com/8, and\nhttp://x.org/9.mp4"));
  QTest::keySequence(&t.list, QKeySequence::Paste);
  ASSERT_EQ(t.engine.Count(), 6u);
  EXPECT_EQ(t.engine.ItemAt(3).address + " " + t.engine.ItemAt(4).address + " " +
                t.engine.ItemAt(5).address,
            "http://blip.tv/file/7 http://www.putfile.com/8 http://x.org/9.mp4");
  std::vector<std::string> many;
  for (int n = 0; n < 40; ++n)
    many.push_back("http://www.putfile.com/" + std::to_string(n));
  t.engine.Add(many);
  t.movie.setFocus(); // the list scrolls under the pointer, focused or not
  QApplication::processEvents();
  const auto wheel = [&](int delta) {
    QWheelEvent event(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(t.list.viewport(), &event);
    return t.list.verticalScrollBar()->value();
  };
  EXPECT_EQ(wheel(-120), 1);
  EXPECT_EQ(wheel(-360), 4); // a notch a row
  EXPECT_EQ(wheel(120), 3);
  // A touchpad's small steps add up to a notch; a turn back drops what was pending.
  for (const auto &[delta, row] :
       {std::pair{-40, 3}, {-40, 3}, {-40, 4}, {-80, 4}, {40, 4}, {80, 3}})
    EXPECT_EQ(wheel(delta), row) << delta;
}

// The status cell of a transfer: the bar over its share of the cell in the highlight colour, the
// ground after it; no bar for anything else. In a light and a dark palette, every text of the movie
// and the list reads at 4.5:1 or better on its ground, and the movie and the list turn dark
// together.
TEST(DesktopLook, TheStatusCellAndEveryTextOnItsGroundInLightAndDark) {
  TestDesktop t;
  QImage image(100, 20, QImage::Format_RGB32);
  QPainter painter(&image);
  gui::DrawProgressCell(painter, image.rect(), 40, {Qt::blue, Qt::white, Qt::white, Qt::blue}, {},
                        false);
  EXPECT_EQ(image.pixelColor(5, 10), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(38, 10), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(42, 10), QColor(Qt::white));
  EXPECT_EQ(gui::ProgressBarRight(QRect(0, 0, 100, 20), 150), 100);
  // Through the painter: an item not transferring is text on the row's ground.
  t.engine.Add({"http://www.putfile.com/1"});
  gui::StatusCellPainter cell;
  QStyleOptionViewItem option;
  option.rect = image.rect();
  option.palette = QGuiApplication::palette();
  image.fill(Qt::green);
  cell.SetLook(gui::ListLook::For(QGuiApplication::palette()));
  cell.paint(&painter, option, t.list.Model().index(0, gui::kColumnStatus));
  EXPECT_EQ(image.pixelColor(90, 2), QColor(Qt::white));
  const QPalette light = QApplication::palette();
  QObject *theme = t.movie.rootObject()->property("theme").value<QObject *>();
  ASSERT_NE(theme, nullptr);
  const std::pair<const char *, const char *> texts[] = {
      {"text", "windowBg"},      {"text", "surface"},          {"text", "sunken"},
      {"textMuted", "windowBg"}, {"textMuted", "footerBg"},    {"textMuted", "surface"},
      {"textFaint", "surface"},  {"accentText", "accentSoft"}, {"accentText", "accentSoftHover"},
      {"chromeText", "chrome"},  {"chromeMuted", "chrome"},    {"chromeMuted", "chromeHover"}};
  for (const QPalette &palette : {light, QPalette(QColor(40, 42, 46))}) {
    QApplication::setPalette(palette);
    QApplication::processEvents();
    const bool dark = gui::ListLook::IsDark(palette);
    SCOPED_TRACE(dark ? "dark" : "light");
    EXPECT_EQ(theme->property("dark").toBool(), dark);
    const auto colour = [&](const char *name) { return theme->property(name).value<QColor>(); };
    for (const auto &[text, ground] : texts)
      EXPECT_GE(gui::ContrastRatio(colour(text), colour(ground)), 4.5) << text << " on " << ground;
    for (const char *ground : {"accent", "accentHover", "danger", "dangerHover"})
      EXPECT_GE(gui::ContrastRatio(Qt::white, colour(ground)), 4.5) << ground;
    const gui::ListLook look = gui::ListLook::For(palette);
    for (const auto &[text, ground] : {std::pair{look.rowText, look.rowGround},
                                       {look.selectedText, look.selectedGround},
                                       {look.headerText, look.headerGround},
                                       {look.editorText, look.editorGround}})
      EXPECT_GE(gui::ContrastRatio(text, ground), 4.5) << text.name().toStdString();
    for (const QColor &ground : {look.rowGround, look.selectedGround}) // the focus marks
      EXPECT_GE(gui::ContrastRatio(look.focus, ground), 3) << ground.name().toStdString();
    EXPECT_EQ(t.list.palette().color(QPalette::Text), look.rowText);
  }
  QApplication::setPalette(light);
}

// The window grows: resized, the list takes the room and the movie's controls keep their distances
// from the nearest edges; it is resized from its edges and fills the screen on the title strip's
// command. Its place, size and column widths are back after a restart, and a place kept off the
// screen is brought back onto it.
TEST(DesktopWindow, GrowsAndIsKeptAcrossRestarts) {
  std::string settings;
  int pane = 0; // the details pane's height
  {
    TestDesktop t;
    t.window.ShowList();
    // How far each control moves as the window grows by 150 x 165: with the edges it keeps to.
    const std::pair<const char *, QPoint> moves[] = {
        {"urlField", {0, 0}},          {"addButton", {150, 0}},        {"closeButton", {150, 0}},
        {"selectAllButton", {150, 0}}, {"browseButton", {150, 165}},   {"passStatus", {0, 165}},
        {"monitorCheck", {0, 165}},    {"startStopButton", {150, 165}}};
    const auto at = [&](const char *name) { return t.Item(name)->mapToScene({0, 0}).toPoint(); };
    std::vector<QPoint> before;
    for (const auto &[name, move] : moves)
      before.push_back(at(name));
    const QRect list = t.list.geometry();
    EXPECT_EQ(t.window.size(), QSize(630, 535));
    t.window.resize(780, 700);
    EXPECT_EQ(t.list.geometry(), list.adjusted(0, 0, 150, 165));
    for (std::size_t n = 0; n < std::size(moves); ++n)
      EXPECT_EQ(at(moves[n].first) - before[n], moves[n].second) << moves[n].first;
    t.list.horizontalHeader()->resizeSection(gui::kColumnFileName, 210);
    t.list.setColumnHidden(gui::kColumnSpeed, true);
    emit t.list.columnsChanged();
    t.desktop->Controller().Command(gui::movie::kToggleDetails);
    EXPECT_EQ(t.movie.Get(gui::movie::kDetailsShown), "1");
    QApplication::processEvents();
    pane = t.window.DetailsHeight();
    t.movie.Set(gui::movie::kMaximized, "0");
    const int address = t.list.columnWidth(gui::kColumnAddress);
    t.desktop->Controller().Command(gui::movie::kMaximize);
    EXPECT_TRUE(QTest::qWaitFor([&] { return t.window.isMaximized(); }, 2000));
    EXPECT_EQ(t.movie.Get(gui::movie::kMaximized), "1");
    t.window.HideToTray(); // and back: as large as it was, the columns as the user left them
    t.window.BringForward();
    EXPECT_TRUE(t.window.isVisible() && t.window.isMaximized());
    EXPECT_EQ(t.list.columnWidth(gui::kColumnAddress), address);
    EXPECT_EQ(t.window.DetailsHeight(), pane);
    t.desktop->Controller().Command(gui::movie::kMaximize);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !t.window.isMaximized(); }, 2000));
    t.desktop.reset();
    settings = ReadFile(t.dir / "registry.ini");
  }
  TestDesktop again(settings);
  EXPECT_EQ(again.window.size(), QSize(780, 700));
  EXPECT_EQ(again.list.horizontalHeader()->sectionSize(gui::kColumnFileName), 210);
  EXPECT_TRUE(again.list.isColumnHidden(gui::kColumnSpeed));
  EXPECT_FALSE(again.list.isColumnHidden(gui::kColumnTimeLeft));
  EXPECT_TRUE(again.window.DetailsShown());
  again.window.ShowList();
  QApplication::processEvents();
  EXPECT_EQ(again.window.DetailsHeight(), pane);
  // A frameless window's edges and corners resize it: the pointer there shows which way.
  const std::pair<QPoint, Qt::CursorShape> pointers[] = {
      {{0, 300}, Qt::SizeHorCursor},   {{779, 300}, Qt::SizeHorCursor},
      {{300, 2}, Qt::SizeVerCursor},   {{300, 699}, Qt::SizeVerCursor},
      {{2, 12}, Qt::SizeFDiagCursor},  {{770, 697}, Qt::SizeFDiagCursor},
      {{777, 9}, Qt::SizeBDiagCursor}, {{9, 697}, Qt::SizeBDiagCursor},
      {{300, 300}, Qt::ArrowCursor}};
  for (const auto &[point, shape] : pointers) {
    QMouseEvent move(QEvent::MouseMove, point, again.movie.mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&again.movie, &move);
    EXPECT_EQ(again.movie.cursor().shape(), shape) << point.x() << "," << point.y();
  }
  const QRect room(0, 0, 1280, 900);
  for (const auto &[kept, placed] :
       {std::pair{QRect(-500, 2000, 700, 600), QRect(0, 300, 700, 600)},
        {QRect(100, 100, 2000, 100), QRect(0, 100, 1280, 535)},
        {QRect(40, 50, 700, 600), QRect(40, 50, 700, 600)}})
    EXPECT_EQ(gui::WindowMemory::OnScreen(kept, room, QSize(630, 535)), placed);
}

// The keyboard alone goes round the window: Tab from the first control reaches each control of the
// page on show, the title strip and, on the Download page, the list (full of rows, which Tab does
// not walk, showing a focus ring), and comes back to the first; Shift+Tab goes the same way round
// backwards.
TEST(DesktopWindow, TabGoesRoundEveryControl) {
  const std::pair<const char *, std::string> rounds[] = {
      {"Download",
       "urlField addButton selectAllButton removeSelectedButton clearCompletedButton "
       "moveUpButton moveDownButton downloadsAtOnce browseButton detailsToggle monitorCheck "
       "startStopButton downloadTab aboutTab settingsButton trayButton minimizeButton "
       "maximizeButton closeButton list urlField"},
      {"About", "helpButton downloadTab aboutTab settingsButton trayButton minimizeButton "
                "maximizeButton closeButton helpButton"}};
  TestDesktop t;
  t.engine.Add({"http://www.putfile.com/1", "http://www.putfile.com/2"});
  t.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&t.window));
  const auto focused = [&]() -> std::string {
    QWidget *widget = QApplication::focusWidget();
    const QQuickItem *item = t.movie.quickWindow()->activeFocusItem();
    return widget == &t.list            ? "list"
           : widget == &t.movie && item ? item->objectName().toStdString()
                                        : "elsewhere";
  };
  for (const auto &[page, round] : rounds) {
    t.movie.ShowPage(QString::fromLatin1(page));
    ASSERT_TRUE(QTest::qWaitFor([&, page = page] { return t.Page() == page; }, 2000));
    std::vector<std::string> names;
    std::istringstream words(round);
    for (std::string name; words >> name;)
      names.push_back(name);
    for (const bool forward : {true, false}) {
      SCOPED_TRACE(std::string(page) + (forward ? " Tab" : " Shift+Tab"));
      if (!forward)
        std::reverse(names.begin(), names.end());
      t.Item(names.front().c_str())->forceActiveFocus();
      t.movie.setFocus();
      for (std::size_t step = 1; step < names.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
        EXPECT_EQ(focused(), names[step]) << "step " << step;
      }
    }
  }
  t.movie.ShowPage(QStringLiteral("Download"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return t.Page() == "Download"; }, 2000));
  // Reached by Tab, the list shows it has the focus: a ring inside its edge.
  const auto ring = [&] {
    const QImage shot = t.list.viewport()->grab().toImage();
    return shot.pixelColor(1, shot.height() / 2).name().toStdString();
  };
  const std::string focus = gui::ListLook::For(QApplication::palette()).focus.name().toStdString();
  t.Item("closeButton")->forceActiveFocus();
  t.movie.setFocus();
  EXPECT_NE(ring(), focus);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(ring(), focus);
  // How many download at once steps with the keys, within its bounds, and is kept.
  t.Item("downloadsAtOnce")->forceActiveFocus();
  for (const auto &[key, jobs] :
       {std::pair{Qt::Key_Up, 4}, {Qt::Key_End, 16}, {Qt::Key_Up, 16}, {Qt::Key_Home, 1}}) {
    QTest::keyClick(t.movie.quickWindow(), key);
    EXPECT_EQ(t.engine.Settings().simultaneousDownloads, jobs) << key;
  }
  EXPECT_NE(ReadFile(t.dir / "registry.ini").find("Simultaneous Downloads=1"), std::string::npos);
}

// The settings window (Ctrl+,): each field checked as the console checks its option; a change
// holds at once and is kept, the movie and the status line following it; a refused text says why
// and changes nothing; a change made elsewhere shows when the window comes back.
TEST(SettingsWindow, EachFieldIsCheckedTakenAndKept) {
  TestDesktop t;
  QTest::keyClick(&t.window, Qt::Key_Comma, Qt::ControlModifier);
  gui::SettingsWindow &w = t.desktop->Settings();
  ASSERT_TRUE(w.isVisible());
  const auto field = [&](const QString &name) {
    for (QWidget *widget : w.findChildren<QWidget *>())
      if (widget->accessibleName() == name)
        return widget;
    return static_cast<QWidget *>(nullptr);
  };
  const auto type = [&](const char *name, const char *text) -> std::string {
    auto *line = qobject_cast<QLineEdit *>(field(QString::fromLatin1(name)));
    if (auto *box = qobject_cast<QComboBox *>(field(QString::fromLatin1(name))))
      line = box->lineEdit();
    if (auto *lines = qobject_cast<QPlainTextEdit *>(field(QString::fromLatin1(name)))) {
      lines->setPlainText(QString::fromLatin1(text));
    } else {
      line->setText(QString::fromLatin1(text));
      emit line->editingFinished();
    }
    const QWidget *problem = field(QString::fromLatin1(name) + QStringLiteral(": problem"));
    return !problem->isHidden() ? qobject_cast<const QLabel *>(problem)->text().toStdString()
                                : "taken";
  };
  const std::tuple<const char *, const char *, const char *> edits[] = {
      {"Speed limit", "fast", "a rate such as 500k or 2M is needed (empty or 0: no limit)"},
      {"Speed limit", "2M", "taken"},
      {"Quality", "huge", "best, worst or a height such as 720 or 720p is needed"},
      {"Quality", "720p", "taken"},
      {"Headers", "X-A 1", "each line is a header such as 'Accept-Language: en', not 'X-A 1'"},
      {"Headers", "X-A: 1\n\nX-B: 2", "taken"},
      {"Proxy", "socks5h://127.0.0.1:9050", "taken"},
      {"Program", " ", "a program on PATH, its path, or 'none' is needed"},
      {"Program", "/no/such", "taken"},
      {"Folder", "/srv/films", "taken"}};
  for (const auto &[name, text, outcome] : edits)
    EXPECT_EQ(type(name, text), outcome) << name << " " << text;
  qobject_cast<QSpinBox *>(field(QStringLiteral("At once")))->setValue(5);
  qobject_cast<QSpinBox *>(field(QStringLiteral("Time limit (seconds)")))->setValue(7);
  // The About page tells the extractor's version, asked afresh when another is named.
  const auto about = [&] { return t.movie.Get(gui::movie::kAboutTxt); };
  t.desktop->Controller().Command(gui::movie::kAboutPage);
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return about().find("\r\nSite extractor: /no/such (cannot "
                        "be run: install") != std::string::npos;
  }));
  WriteFile(t.dir / "x", "#!/bin/sh\necho 2099.01.01\n");
  std::filesystem::permissions(t.dir / "x", std::filesystem::perms::owner_all);
  type("Program", (t.dir / "x").c_str());
  ASSERT_TRUE(QTest::qWaitFor([&] { return about().ends_with("/x 2099.01.01"); })) << about();
  for (QCheckBox *check : w.findChildren<QCheckBox *>())
    if (check->text().contains(QStringLiteral("Monitor")))
      check->click();
  const engine::Config &c = t.engine.Settings();
  EXPECT_EQ(c.speedLimit, 2u << 20);
  EXPECT_EQ(c.headers, (std::vector<std::string>{"X-A: 1", "X-B: 2"}));
  EXPECT_EQ(c.preferredQuality + " " + c.proxy + " " + c.downloadDir,
            "720p socks5h://127.0.0.1:9050 /srv/films");
  EXPECT_FALSE(c.monitor);
  EXPECT_NE(std::find(t.recorder.calls.begin(), t.recorder.calls.end(), "watch off"),
            t.recorder.calls.end());
  EXPECT_EQ(t.movie.Get(gui::movie::kSimultaneousDownloads) + " " +
                t.movie.Get(gui::movie::kSpeedLimit) + " " + t.movie.Get(gui::movie::kDownloadDir),
            "5 Limit 2 MB/s /srv/films");
  const std::string kept = ReadFile(t.dir / "registry.ini");
  for (const char *line : {"Speed Limit=2M", "Preferred Quality=720p", "Headers=X-A: 1\\nX-B: 2",
                           "Simultaneous Downloads=5", "URL Mon=False", "Extractor Time Limit=7"})
    EXPECT_NE(kept.find(line), std::string::npos) << line << "\n" << kept;
  t.desktop->Controller().SetSpeedLimit(0);
  w.Refresh();
  EXPECT_EQ(qobject_cast<QLineEdit *>(field(QStringLiteral("Speed limit")))->text(), QString());
}

// Removing an item whose download is unfinished asks what becomes of its bytes (Cancel keeps the
// item; Keep its partial file; "Do not ask again" keeps the answer); a complete item's name typed
// anew renames its file, and a refusal says why.
TEST(DesktopController, FilesFollowTheItems) {
  Rules r;
  r.engine.Add({"http://www.putfile.com/page", "http://www.putfile.com/done"});
  r.engine.StartPass();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return r.engine.ItemAt(0).received > 0 &&
               r.engine.ItemAt(1).phase == engine::Phase::Complete;
      },
      5000));
  const std::filesystem::path videos = r.dir / "videos";
  const std::filesystem::path part =
      videos / (r.engine.ItemAt(0).partName + engine::kPartialSuffix);
  r.desktop.selected = {1};
  r.messages.tick = true;
  for (const Box::Answer answer : {Box::Answer::Cancel, Box::Answer::Keep}) {
    r.messages.answer = answer;
    r.controller.RemoveSelected();
  }
  EXPECT_EQ(r.messages.shown.size(), 2u);
  EXPECT_EQ(r.messages.shown.back().buttons, Box::Buttons::KeepDeleteCancel);
  EXPECT_EQ(r.engine.Count(), 1u);
  EXPECT_TRUE(std::filesystem::exists(part));
  EXPECT_EQ(r.controller.RemovedPartialFiles(), DesktopController::PartialFiles::Keep);
  WriteFile(videos / "taken.flv", "another");
  EXPECT_FALSE(r.controller.Rename(2, "taken.flv"));
  EXPECT_EQ(r.messages.shown.back().text, "Vidtrawl could not rename small.flv to taken.flv: a "
                                          "file of that name is in the folder already.");
  EXPECT_TRUE(r.controller.Rename(2, "mine.flv"));
  EXPECT_EQ(ReadFile(videos / "mine.flv"), "abc");
}

// Two running copies watching one clipboard: the first takes each copy, the second says so once
// and takes over when the first stops watching. A lock that cannot be made is told as such.
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
  // Its own copy (a row's "Copy Address") is not taken back; the user's copy of it later is.
  copies[1]->Copy("http://media.putfile.com/c");
  QApplication::processEvents();
  copy("http://media.putfile.com/d");
  copy("http://media.putfile.com/c");
  EXPECT_EQ(got[1],
            (std::vector<std::string>{"http://media.putfile.com/b", "http://media.putfile.com/d",
                                      "http://media.putfile.com/c"}));
  gui::ClipboardWatcher nowhere([](const std::string &) {},
                                [&](const std::string &text) { told[0].push_back(text); },
                                gui::ClipboardClaim(lock + QStringLiteral("/no/such/folder")));
  nowhere.Watch(true);
  EXPECT_NE(told[0].back().find("cannot watch the clipboard: its lock file " +
                                (dir / "clipboard.lock/no/such/folder").string() +
                                " cannot be made (Not a directory)"),
            std::string::npos)
      << told[0].back();
}

// Each tray entry reaches the desktop's rules and the monitor entry shows its state; a click on the
// icon shows or hides the window.
TEST(DesktopTray, EachEntryReachesTheRules) {
  TestDesktop t;
  gui::TrayMenu &menu = t.desktop->Menu();
  const std::pair<const char *, std::function<bool()>> cases[] = {
      {"Vidtrawl", [&] { return t.window.isVisible(); }},
      {"Start Downloading", [&] { return t.desktop->Controller().StartPending(); }},
      // The entry acts on the mark it showed.
      {"Monitor Video URL's in Clipboard", [&] { return !t.engine.Settings().monitor; }},
      {"Help",
       [&] { return t.recorder.calls.back() == "open " VIDTRAWL_TEST_DATA_DIR "/help.html"; }},
      {"About", [&] { return t.window.isVisible() && t.Page() == "About"; }},
      {"Settings…", [&] { return t.window.isVisible() && t.desktop->Settings().isVisible(); }},
      {"Exit Vidtrawl", [&] { return t.desktop->Controller().ExitPending(); }}};
  for (const auto &[caption, done] : cases) {
    SCOPED_TRACE(caption);
    t.window.hide();
    menu.PrepareMenu();
    EXPECT_EQ(menu.MonitorEntry().isChecked(), t.engine.Settings().monitor);
    const QList<QAction *> entries = menu.Menu().actions();
    const auto entry = std::ranges::find(entries, QString(caption), &QAction::text);
    ASSERT_NE(entry, entries.end());
    (*entry)->trigger();
    EXPECT_TRUE(QTest::qWaitFor(done, 2000));
  }
  // A click shows a hidden or minimised window, and hides one on show (minimised where
  // there is no tray, as here); a double-click brings it back.
  t.window.hide();
  const std::pair<QSystemTrayIcon::ActivationReason, bool> clicks[] = {
      {QSystemTrayIcon::Trigger, true},     {QSystemTrayIcon::Trigger, false},
      {QSystemTrayIcon::Trigger, true},     {QSystemTrayIcon::Context, true},
      {QSystemTrayIcon::DoubleClick, true}, {QSystemTrayIcon::Trigger, false},
      {QSystemTrayIcon::DoubleClick, true}};
  for (const auto &[reason, shown] : clicks) {
    menu.IconActivated(reason);
    EXPECT_TRUE(t.window.isVisible()) << reason; // never hidden with no tray to come back from
    EXPECT_EQ(!t.window.isMinimized(), shown) << reason;
  }
}

} // namespace
} // namespace vidtrawl::testing
