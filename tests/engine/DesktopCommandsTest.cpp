// The desktop program's rules through the engine's face: the movie's
// commands, the tray menu, the timers, the clipboard and the exit path.
#include "engine/Engine.h"

#include "support/EngineFixture.h"
#include "support/RecordingDesktop.h"

#include <tuple>

namespace vidtrawl::testing {
namespace {

using Calls = std::vector<std::string>;
using Id = host::Timers::Id;
using Reply = host::MessageBox::Answer;
const std::string kBrowse = "browse Please select the desired Download directory then press Ok.";

class DesktopCommandsTest : public ::testing::Test,
                            public ContentServer,
                            public EngineHostsForTests {
protected:
  DesktopCommandsTest() {
    engine::Options options{net::ConnectionMap{}, dir / "registry.ini", dir / "scratch"};
    options.connections.Add(":80:127.0.0.1:" + std::to_string(server.port()));
    engine = std::make_unique<engine::Engine>(
        engine::Hosts{pump, messages, grid, movie, connectivity}, std::move(options));
    engine->AttachDesktop({desktop, desktop, desktop, desktop, desktop}, "/data/help.html",
                          "https://vidtrawl.example/");
    engine->SetDownloadDir((dir / "videos").string());
  }
  void AddVideo(const std::string &name, std::size_t size) {
    engine->AddLink(ServeVideo(*this, name, Pattern(size)));
  }
  // Runs `action` once, from inside the pass, while the last item's video is received.
  void DuringTransfer(std::function<void()> action) {
    pump.action = [this, action, done = false](long) mutable {
      const std::size_t count = engine->ItemCount();
      if (done || count == 0 || !Receiving(engine->Item(count - 1).Status))
        return;
      done = true;
      action();
    };
  }
  bool Saved(const std::string &line) {
    return ReadFile(dir / "registry.ini").find(line) != std::string::npos;
  }
  std::string Shown() const { return messages.shown.empty() ? "" : messages.shown.back().text; }

  RecordingDesktop desktop;
  std::unique_ptr<engine::Engine> engine;
};

TEST_F(DesktopCommandsTest, EachCommandReachesItsOperation) {
  // Each command and what the window, timers and opener were asked.
  const std::pair<const char *, Calls> cases[] = {
      {"IDC_FS_Drag", {"drag"}},
      {"IDC_FS_Minimize", {"minimize"}},
      {"IDC_FS_Tray", {"tray"}},
      {"IDC_FS_Slider", {"hide grid"}},
      {"IDC_FS_Download", {"show grid"}},
      {"IDC_FS_About", {"hide grid"}},
      {"IDC_FS_Help", {"open /data/help.html"}},
      {"ID_FS_webSite", {"open https://vidtrawl.example/"}},
      {"IDC_FS_startDownload", {"start tmrDownload"}},
      {"ID_FS_downloadBrowse", {kBrowse}},
      {"idc_fs_close", {}}, // compared exactly
      {"IDC_FS_Drag ", {}},
      {"", {}},
      {"IDC_FS_Close", {"unhook", "watch off", "unload menu", "end"}}, // idle: no question
  };
  for (const auto &[command, calls] : cases) {
    desktop.calls.clear();
    engine->Flash_FSCommand(command, "ignored argument");
    EXPECT_EQ(desktop.calls, calls) << command;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DesktopCommandsTest, TheListCommandsEditTheList) {
  for (const char *url : {"", "   \t ", "  http://www.putfile.com/page/a \r\n", "x"}) {
    movie.variables["_root.video_url"] = url;
    engine->Flash_FSCommand("IDC_FS_addDownloadURL", "");
  }
  engine->AddLinksFromText("http://www.putfile.com/page/b\r\n  http://blip.tv/file/2 \n"
                           "just words\n\nhttp://www.example.org/3\nhttp://www.putfile.com/page/b");
  const auto urls = [&] {
    std::string text;
    for (const auto &item : engine->Items())
      text += item.Video_URL.substr(item.Video_URL.rfind('/') + 1) + ",";
    return text;
  };
  EXPECT_EQ(urls(), "a,x,b,2,"); // blanks and line ends around an address are no part of it
  EXPECT_EQ(engine->Item(1).Status, "Link is not supported");
  grid.SetCellSelected({*grid.Row(2), host::kColumnID}, true);
  engine->Flash_FSCommand("IDC_FS_moveUp", "");
  grid.SetCellSelected({*grid.Row(0), host::kColumnStatus}, true);
  engine->Flash_FSCommand("IDC_FS_moveDown", "");
  EXPECT_EQ(urls(), "b,a,x,2,");
  grid.SetRowSelected(*grid.Row(3), true);
  engine->Flash_FSCommand("IDC_FS_removeSelectedD", "");
  grid.SetCellValue(*grid.Row(2), host::kColumnStatus, "Complete");
  engine->Flash_FSCommand("ID_FS_clearComplete", "");
  EXPECT_EQ(urls(), "b,a,");
  engine->Flash_FSCommand("IDC_FS_selectAllD", "");
  EXPECT_TRUE(grid.RowSelected(*grid.Row(0)) && grid.RowSelected(*grid.Row(1)));
}

TEST_F(DesktopCommandsTest, FolderAndMonitorCommandsSaveTheSettings) {
  engine->LoadSettings();
  desktop.chosenFolder = "/home/u/Films";
  engine->Flash_FSCommand("ID_FS_downloadBrowse", "");
  desktop.chosenFolder.clear(); // a cancelled dialog changes nothing
  engine->Flash_FSCommand("ID_FS_downloadBrowse", "");
  EXPECT_EQ(engine->DownloadDir(), "/home/u/Films");
  EXPECT_EQ(movie.variables["_root.download_dir"], "/home/u/Films");
  EXPECT_TRUE(Saved("Download Dir=/home/u/Films\n"));
  engine->Flash_FSCommand("ID_FS_autoDownloadUncheck", "");
  EXPECT_FALSE(engine->MonitorEnabled());
  EXPECT_TRUE(Saved("URL Mon=False\n"));
  engine->Flash_FSCommand("ID_FS_autoDownloadCheck", "");
  EXPECT_TRUE(engine->MonitorEnabled());
  EXPECT_TRUE(Saved("URL Mon=True\n"));
  EXPECT_EQ(desktop.calls, (Calls{"watch on", kBrowse, kBrowse, "watch off", "watch on"}));
}

// A start waits for the download timer, and for a rebuild that is letting
// events run; a stop during a pass asks first.
TEST_F(DesktopCommandsTest, AStartIsDeferredAndAStopAsks) {
  AddVideo("a", 3000);
  engine->Flash_FSCommand("IDC_FS_startDownload", "");
  pump.action = [&](long call) {
    if (call == 1) // the timer fires while a rebuild fills
      engine->OnTimer(Id::Download);
  };
  engine->AddLink("http://www.example.org/b");
  EXPECT_TRUE(desktop.TimerRunning(Id::Download)); // switched on again
  EXPECT_EQ(engine->Item(0).Status, "Waiting");
  pump.action = nullptr;
  engine->OnTimer(Id::Download);
  EXPECT_FALSE(desktop.TimerRunning(Id::Download));
  EXPECT_EQ(engine->Item(0).Status, "Complete");
  AddVideo("c", 300000);
  messages.answer = Reply::No;
  DuringTransfer([&] { engine->Flash_FSCommand("IDC_FS_stopDownload", ""); });
  engine->Flash_FSCommand("IDC_FS_stopDownload", ""); // idle: a pass at once
  EXPECT_EQ(Shown(), "Are you sure that you want to cancel downloading?");
  EXPECT_EQ(engine->Item(2).Status, "Complete"); // "No" let it go on
}

// The tray menu follows the engine; an exit during a pass asks first and a "Yes" stops the pass.
TEST_F(DesktopCommandsTest, TheTrayMenuAndTheExitPath) {
  engine->LoadSettings();
  EXPECT_TRUE(engine->TrayMonitorChecked()); // monitoring is on at the first start
  engine->mnuMonitor_Click(true);
  EXPECT_FALSE(engine->TrayMonitorChecked());
  EXPECT_EQ(movie.variables["_root.autoToDownloadList_CB"], "0");
  EXPECT_FALSE(Saved("URL Mon"));
  engine->mnuDownload_Click(); // "Start Downloading": the deferred start
  engine->OnTimer(Id::Download);
  EXPECT_EQ(Shown(), "Please add video URL's first.");
  for (const Reply answer : {Reply::No, Reply::Yes}) {
    AddVideo(answer == Reply::Yes ? "yes" : "no", 300000);
    desktop.calls.clear();
    messages.answer = answer;
    std::string menu;
    DuringTransfer([&] {
      menu = engine->MenuCaption();
      engine->EndMe();
    });
    engine->cmdStartDownload_Click();
    EXPECT_EQ(menu, "Stop Downloading");
    EXPECT_EQ(Shown(), "Download is in Progress, Are you sure that you want to exit?");
    EXPECT_EQ(engine->Item(engine->ItemCount() - 1).Status,
              answer == Reply::Yes ? "Cancelled" : "Complete");
    const Calls ended{"unhook", "watch off", "unload menu", "end"};
    EXPECT_EQ(desktop.calls, answer == Reply::Yes ? ended : Calls());
  }
  EXPECT_EQ(engine->MenuCaption(), "Start Downloading");
  desktop.calls.clear();
  engine->mnuExit_Click();
  engine->OnTimer(Id::End);
  EXPECT_EQ(desktop.calls, (Calls{"start tmrend"})); // the exit has already ended
}

TEST_F(DesktopCommandsTest, CopiedAddressesReachTheListThroughTheReceiver) {
  std::vector<engine::PassSummary> passes;
  engine->OnPassEnded([&](const engine::PassSummary &summary) { passes.push_back(summary); });
  ServeVideo(*this, "c", Pattern(100));
  Serve("/c", "<param value=\"http://media.putfile.com/files/c.flv\">");
  // The text copied, the items then listed, and whether a pass is asked for.
  const std::tuple<std::string, std::size_t, bool> deliveries[] = {
      {"", 0, false},
      {" http://media.putfile.com/c\r\n", 1, true},
      {"http://media.putfile.com/c", 1, true}, // the same copy twice: listed once
      // Texts that are no video page leave no trace: nothing listed, shown or fetched.
      {"http://www.example.org/clip", 1, false},
      {"my password: hunter2", 1, false},
      {"https://docs.google.com/document/d/1/edit", 1, false},
  };
  for (const auto &[text, items, startsTimer] : deliveries) {
    desktop.running.clear();
    engine->txtMonitor_Change(text);
    EXPECT_EQ(engine->ItemCount(), items) << text;
    EXPECT_EQ(desktop.TimerRunning(Id::Download), startsTimer) << text;
  }
  EXPECT_EQ(movie.variables["_root.video_url"], "http://media.putfile.com/c");
  engine->OnTimer(Id::Download); // the pass it asked for
  EXPECT_EQ(engine->Item(0).Status, "Complete");
  AddVideo("big", 300000);
  desktop.running.clear();
  DuringTransfer([&] { engine->txtMonitor_Change("http://media.putfile.com/late"); });
  engine->cmdStartDownload_Click(); // a copy during a pass is added and starts nothing more
  EXPECT_EQ(engine->ItemCount(), 3u);
  EXPECT_FALSE(desktop.TimerRunning(Id::Download));
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].completed, 1);
  EXPECT_EQ(passes[0].failed, 0);
  EXPECT_TRUE(passes[0].startedByMonitor);
  EXPECT_FALSE(passes[1].startedByMonitor);
}

TEST_F(DesktopCommandsTest, ThePollSkipsRepeatsAndUnsupportedTextAndStartsAtOnce) {
  ServeVideo(*this, "p", Pattern(100));
  Serve("/p", "<param value=\"http://media.putfile.com/files/p.flv\">");
  engine->chkMonitor_Click(); // the poll's switch
  EXPECT_TRUE(desktop.TimerRunning(Id::Monitor));
  EXPECT_TRUE(engine->MonitorEnabled());
  const std::pair<const char *, std::size_t> polls[] = {
      {"", 0},
      {"http://www.example.org/not-a-site", 0},
      {"http://www.putfile.com/page/p", 0}, // a site's page, but no video page
      {"http://media.putfile.com/p", 1},    // added and downloaded at once
      {"http://media.putfile.com/p", 1},    // the same text again: skipped
  };
  for (const auto &[clipboard, items] : polls) {
    desktop.clipboardText = clipboard;
    engine->OnTimer(Id::Monitor);
    EXPECT_EQ(engine->ItemCount(), items) << clipboard;
  }
  EXPECT_EQ(engine->Item(0).Status, "Complete");
  engine->chkMonitor_Click();
  EXPECT_FALSE(desktop.TimerRunning(Id::Monitor));
  EXPECT_FALSE(engine->MonitorEnabled());
  // The switch forgets the text seen last: taken again, and listed once.
  movie.variables.clear();
  engine->chkMonitor_Click();
  engine->CallMonTimer();
  EXPECT_EQ(engine->ItemCount(), 1u);
  EXPECT_EQ(movie.variables["_root.video_url"], "http://media.putfile.com/p");
}

} // namespace
} // namespace vidtrawl::testing
