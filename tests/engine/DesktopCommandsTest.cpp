// The desktop program's rules through the engine's face: the movie's
// commands, the tray menu, the timers and the exit path.
#include "engine/Engine.h"
#include "host/HeadlessGrid.h"
#include "support/ContentServer.h"
#include "support/EngineFixture.h"
#include "support/RecordingDesktop.h"

#include <gtest/gtest.h>

namespace vidtrawl::testing {
namespace {

using Calls = std::vector<std::string>;
using Id = host::Timers::Id;

class DesktopCommandsTest : public ::testing::Test, public ContentServer {
protected:
  DesktopCommandsTest() {
    engine::Options options;
    options.connections = net::ConnectionMap{};
    options.connections.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    options.registryFile = dir / "registry.ini";
    options.scratchFolder = dir / "scratch";
    engine = std::make_unique<engine::Engine>(
        engine::Hosts{pump, messages, grid, movie, connectivity}, std::move(options));
    engine->AttachDesktop({desktop, desktop, desktop, desktop, desktop}, "/data/help.html",
                          "https://vidtrawl.example/");
    engine->SetDownloadDir((dir / "videos").string());
  }

  // A page of PutFile's format whose video is `size` bytes.
  std::string AddVideo(const std::string &name, std::size_t size) {
    Serve("/page/" + name, "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
    Serve("/files/" + name + ".flv", Pattern(size));
    const std::string page = "http://www.putfile.com/page/" + name;
    engine->AddLink(page);
    return page;
  }
  // Runs `action` once, from inside the pass, when the last item's video
  // transfer is under way.
  void DuringTransfer(std::function<void()> action) {
    pump.action = [this, action, done = false](long) mutable {
      const std::size_t count = engine->ItemCount();
      if (done || count == 0 ||
          engine::ClassifyStatus(engine->Item(count - 1).Status).kind !=
              engine::StatusKind::Progress)
        return;
      done = true;
      action();
    };
  }
  std::string Saved(const std::string &name) {
    return ReadFile(dir / "registry.ini").find(name) != std::string::npos ? "saved" : "";
  }

  TempDir dir;
  ScriptedPump pump;
  RecordingMessageBox messages;
  RecordingMovie movie;
  FixedConnectivity connectivity;
  host::HeadlessGrid grid;
  RecordingDesktop desktop;
  std::unique_ptr<engine::Engine> engine;
};

TEST_F(DesktopCommandsTest, EachCommandReachesItsOperation) {
  struct Case {
    const char *command;
    Calls calls; // what the window, timers and opener were asked
  } cases[] = {
      {"IDC_FS_Drag", {"drag"}},
      {"IDC_FS_Minimize", {"minimize"}},
      {"IDC_FS_Tray", {"tray"}},
      {"IDC_FS_Slider", {"hide grid"}},
      {"IDC_FS_Download", {"show grid"}},
      {"IDC_FS_About", {"hide grid"}},
      {"IDC_FS_Help", {"open /data/help.html"}},
      {"ID_FS_webSite", {"open https://vidtrawl.example/"}},
      {"IDC_FS_startDownload", {"start tmrDownload"}},
      {"ID_FS_downloadBrowse",
       {"browse Please select the desired Download directory then press Ok."}},
      // Compared exactly: a command in another letter case is no command.
      {"idc_fs_close", {}},
      {"IDC_FS_Drag ", {}},
      {"", {}},
      // The idle exit: no question, and everything goes.
      {"IDC_FS_Close", {"unhook", "watch off", "unload menu", "end"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.command);
    desktop.calls.clear();
    engine->Flash_FSCommand(c.command, "ignored argument");
    EXPECT_EQ(desktop.calls, c.calls);
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DesktopCommandsTest, AddCommandTakesTheMovieAddressAsItStands) {
  const struct {
    const char *video_url;
    std::size_t items;
  } cases[] = {{"", 0}, {"   \t ", 0}, {"  http://www.putfile.com/v/1 ", 1}, {"x", 2}};
  for (const auto &c : cases) {
    movie.variables["_root.video_url"] = c.video_url;
    engine->Flash_FSCommand("IDC_FS_addDownloadURL", "");
    EXPECT_EQ(engine->ItemCount(), c.items) << c.video_url;
  }
  EXPECT_EQ(engine->Item(0).Video_URL, "  http://www.putfile.com/v/1 ");
  EXPECT_EQ(engine->Item(1).Status, "Link is not supported");
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST_F(DesktopCommandsTest, ListCommandsEditTheList) {
  for (const char *name : {"a", "b", "c"})
    AddVideo(name, 10);
  engine->Flash_FSCommand("IDC_FS_selectAllD", "");
  for (int row = 0; row < 3; ++row)
    EXPECT_TRUE(grid.RowSelected(*grid.Row(row)));
  grid.SetCellSelected({*grid.Row(2), host::kColumnID}, true);
  engine->Flash_FSCommand("IDC_FS_moveUp", ""); // c moves above b
  EXPECT_EQ(engine->Item(1).Video_URL, "http://www.putfile.com/page/c");
  grid.SetCellSelected({*grid.Row(0), host::kColumnStatus}, true);
  engine->Flash_FSCommand("IDC_FS_moveDown", ""); // a moves below c
  EXPECT_EQ(engine->Item(0).Video_URL, "http://www.putfile.com/page/c");
  grid.SetRowSelected(*grid.Row(2), true);
  engine->Flash_FSCommand("IDC_FS_removeSelectedD", "");
  ASSERT_EQ(engine->ItemCount(), 2u);
  grid.SetCellValue(*grid.Row(0), host::kColumnStatus, "Complete");
  engine->Flash_FSCommand("ID_FS_clearComplete", "");
  ASSERT_EQ(engine->ItemCount(), 1u);
  EXPECT_EQ(engine->Item(0).Video_URL, "http://www.putfile.com/page/a");
}

TEST_F(DesktopCommandsTest, FolderAndMonitorCommandsSaveTheSettings) {
  engine->LoadSettings();
  desktop.chosenFolder = "/home/u/Films";
  engine->Flash_FSCommand("ID_FS_downloadBrowse", "");
  EXPECT_EQ(engine->DownloadDir(), "/home/u/Films");
  EXPECT_EQ(movie.variables["_root.download_dir"], "/home/u/Films");
  EXPECT_NE(ReadFile(dir / "registry.ini").find("Download Dir=/home/u/Films"), std::string::npos);

  // A cancelled dialog changes nothing, and the settings are written as they are.
  desktop.chosenFolder.clear();
  engine->Flash_FSCommand("ID_FS_downloadBrowse", "");
  EXPECT_EQ(engine->DownloadDir(), "/home/u/Films");

  engine->Flash_FSCommand("ID_FS_autoDownloadUncheck", "");
  EXPECT_FALSE(engine->MonitorEnabled());
  EXPECT_NE(ReadFile(dir / "registry.ini").find("URL Mon=False"), std::string::npos);
  engine->Flash_FSCommand("ID_FS_autoDownloadCheck", "");
  EXPECT_TRUE(engine->MonitorEnabled());
  EXPECT_NE(ReadFile(dir / "registry.ini").find("URL Mon=True"), std::string::npos);
}

TEST_F(DesktopCommandsTest, StartIsDeferredAndStopAsksAtOnce) {
  AddVideo("a", 3000);
  engine->Flash_FSCommand("IDC_FS_startDownload", "");
  EXPECT_TRUE(desktop.TimerRunning(Id::Download));
  EXPECT_EQ(engine->Item(0).Status, "Waiting"); // nothing before the timer fires
  engine->OnTimer(Id::Download);
  EXPECT_FALSE(desktop.TimerRunning(Id::Download));
  EXPECT_EQ(engine->Item(0).Status, "Complete");

  // The stop command while idle starts a pass at once; during a pass it asks.
  AddVideo("b", 300000);
  messages.answer = host::MessageBox::Answer::No;
  DuringTransfer([&] { engine->Flash_FSCommand("IDC_FS_stopDownload", ""); });
  engine->Flash_FSCommand("IDC_FS_stopDownload", "");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Are you sure that you want to cancel downloading?");
  EXPECT_EQ(engine->Item(1).Status, "Complete"); // "No" let it go on
}

TEST_F(DesktopCommandsTest, DeferredStartWaitsWhileARebuildFills) {
  AddVideo("a", 10);
  engine->Flash_FSCommand("IDC_FS_startDownload", "");
  // The timer fires while a rebuild of the list lets events run.
  pump.action = [&](long call) {
    if (call == 1)
      engine->OnTimer(Id::Download);
  };
  engine->AddLink("http://www.putfile.com/page/b");
  pump.action = nullptr;
  EXPECT_TRUE(desktop.TimerRunning(Id::Download)); // switched on again
  EXPECT_EQ(engine->Item(0).Status, "Waiting");
  EXPECT_FALSE(engine->Downloading());
}

TEST_F(DesktopCommandsTest, AboutPageLeadsTheStartingPassToTheDownloadPage) {
  for (const char *page : {"IDC_FS_Download", "IDC_FS_About"}) {
    movie.variables.erase("_root.downloadBtnTab");
    AddVideo(page, 10);
    engine->Flash_FSCommand(page, "");
    engine->cmdStartDownload_Click();
    EXPECT_EQ(movie.variables.count("_root.downloadBtnTab"), std::string(page) == "IDC_FS_About")
        << page;
  }
}

TEST_F(DesktopCommandsTest, TrayMenuFollowsTheEngine) {
  engine->LoadSettings();
  EXPECT_TRUE(engine->TrayMonitorChecked()); // monitoring is on at the first start
  engine->mnuMonitor_Click(true);
  EXPECT_FALSE(engine->TrayMonitorChecked());
  EXPECT_EQ(movie.variables["_root.autoToDownloadList_CB"], "0");
  EXPECT_EQ(ReadFile(dir / "registry.ini").find("URL Mon=False"), std::string::npos); // not saved

  engine->mnuDownload_Click(); // "Start Downloading": the deferred start
  EXPECT_TRUE(desktop.TimerRunning(Id::Download));
  engine->OnTimer(Id::Download);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Please add video URL's first.");

  AddVideo("a", 300000);
  std::string menuDuringPass;
  messages.answer = host::MessageBox::Answer::Yes;
  DuringTransfer([&] {
    menuDuringPass = engine->MenuCaption();
    engine->mnuDownload_Click(); // "Stop Downloading": the question at once
  });
  engine->cmdStartDownload_Click();
  EXPECT_EQ(menuDuringPass, "Stop Downloading");
  EXPECT_EQ(engine->Item(0).Status, "Cancelled");
  EXPECT_EQ(engine->MenuCaption(), "Start Downloading");

  desktop.calls.clear();
  engine->mnuExit_Click();
  EXPECT_EQ(desktop.calls, (Calls{"start tmrend"}));
  engine->OnTimer(Id::End);
  EXPECT_EQ(desktop.calls, (Calls{"start tmrend", "unhook", "watch off", "unload menu", "end"}));
  EXPECT_FALSE(engine->MonitorEnabled());
}

TEST_F(DesktopCommandsTest, ExitDuringAPassAsksFirst) {
  using Answer = host::MessageBox::Answer;
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
    const std::string page = AddVideo(answer == Answer::Yes ? "yes" : "no", 300000);
    desktop.calls.clear();
    messages.shown.clear();
    messages.answer = answer;
    DuringTransfer([&] { engine->EndMe(); });
    engine->cmdStartDownload_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Download is in Progress, Are you sure that you want to exit?");
    EXPECT_EQ(messages.shown[0].buttons, host::MessageBox::Buttons::YesNo);
    const std::string status = engine->Item(engine->ItemCount() - 1).Status;
    if (answer == Answer::No) {
      EXPECT_TRUE(desktop.calls.empty());
      EXPECT_EQ(status, "Complete");
    } else {
      EXPECT_EQ(desktop.calls, (Calls{"unhook", "watch off", "unload menu", "end"}));
      EXPECT_EQ(status, "Cancelled");
    }
  }
}

TEST_F(DesktopCommandsTest, CopiedAddressesReachTheListThroughTheReceiver) {
  std::vector<engine::PassSummary> passes;
  engine->OnPassEnded([&](const engine::PassSummary &summary) { passes.push_back(summary); });
  engine->LoadSettings(); // monitoring is on at the first start: the watcher starts
  EXPECT_EQ(desktop.calls, (Calls{"watch on"}));

  Serve("/page/c", "<param value=\"http://media.putfile.com/files/c.flv\">");
  Serve("/files/c.flv", Pattern(100));
  const std::string page = "http://www.putfile.com/page/c";
  const struct {
    std::string text;
    std::size_t items;
    bool startsTimer;
  } deliveries[] = {
      {"", 0, false},                           // an empty box does nothing
      {page, 1, true},                          // added, shown, started 200 ms later
      {page, 1, true},                          // the same copy twice: listed once
      {"http://www.example.org/clip", 2, true}, // no test here: listed as not supported
  };
  for (const auto &d : deliveries) {
    SCOPED_TRACE(d.text);
    desktop.running.clear();
    engine->txtMonitor_Change(d.text);
    EXPECT_EQ(engine->ItemCount(), d.items);
    EXPECT_EQ(desktop.TimerRunning(Id::Download), d.startsTimer);
  }
  EXPECT_EQ(movie.variables["_root.video_url"], "http://www.example.org/clip");
  EXPECT_EQ(engine->Item(1).Status, "Link is not supported");

  engine->OnTimer(Id::Download); // the pass it asked for
  EXPECT_EQ(engine->Item(0).Status, "Complete");
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0].completed, 1);
  EXPECT_EQ(passes[0].failed, 1);
  EXPECT_TRUE(passes[0].startedByMonitor);

  // A copy during a pass is added, and starts nothing more.
  AddVideo("big", 300000);
  desktop.running.clear();
  DuringTransfer([&] { engine->txtMonitor_Change("http://www.putfile.com/page/late"); });
  engine->cmdStartDownload_Click();
  EXPECT_EQ(engine->ItemCount(), 4u);
  EXPECT_FALSE(desktop.TimerRunning(Id::Download));
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_FALSE(passes[1].startedByMonitor);
}

TEST_F(DesktopCommandsTest, ThePollSkipsRepeatsAndUnsupportedTextAndStartsAtOnce) {
  Serve("/page/p", "<param value=\"http://media.putfile.com/files/p.flv\">");
  Serve("/files/p.flv", Pattern(100));
  engine->chkMonitor_Click(); // the poll's switch
  EXPECT_TRUE(desktop.TimerRunning(Id::Monitor));
  EXPECT_TRUE(engine->MonitorEnabled());

  const struct {
    const char *clipboard;
    std::size_t items;
  } polls[] = {
      {"", 0},
      {"http://www.example.org/not-a-site", 0}, // unsupported: nothing added
      {"http://www.putfile.com/page/p", 1},     // added and downloaded at once
      {"http://www.putfile.com/page/p", 1},     // the same text again: skipped
  };
  for (const auto &p : polls) {
    SCOPED_TRACE(p.clipboard);
    desktop.clipboardText = p.clipboard;
    engine->OnTimer(Id::Monitor);
    EXPECT_EQ(engine->ItemCount(), p.items);
  }
  EXPECT_EQ(engine->Item(0).Status, "Complete");
  EXPECT_EQ(movie.variables["_root.video_url"], "http://www.putfile.com/page/p");

  // The switch clears what the poll saw last: the same text is taken again,
  // and the duplicate rule keeps it listed once.
  engine->chkMonitor_Click();
  EXPECT_FALSE(desktop.TimerRunning(Id::Monitor));
  EXPECT_FALSE(engine->MonitorEnabled());
  engine->chkMonitor_Click();
  engine->CallMonTimer();
  EXPECT_EQ(engine->ItemCount(), 1u);
  EXPECT_EQ(movie.variables["_root.video_url"], "http://www.putfile.com/page/p");
}

TEST_F(DesktopCommandsTest, DroppedTextAddsEachLineThatNamesASite) {
  engine->AddLinksFromText("http://www.putfile.com/page/1\r\n  http://blip.tv/file/2 \n"
                           "just words\n\nhttp://www.example.org/3\nhttp://www.putfile.com/page/1");
  ASSERT_EQ(engine->ItemCount(), 2u);
  EXPECT_EQ(engine->Item(0).Video_URL, "http://www.putfile.com/page/1");
  EXPECT_EQ(engine->Item(1).Video_URL, "http://blip.tv/file/2");
  EXPECT_EQ(grid.RowCount(), 2);
}

} // namespace
} // namespace vidtrawl::testing
