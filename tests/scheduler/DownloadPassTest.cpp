// The download pass and its start/stop control over a whole engine whose
// every site is a local server: what each item becomes, the files it leaves,
// the edits the user makes while it runs, and how a pass starts and stops.
#include "scheduler/DownloadPass.h"
#include "base/NameVariant.h"
#include "scheduler/StartStopControl.h"
#include "support/EngineFixture.h"

#include <set>
#include <sstream>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;
using testing::Pattern;
using testing::ReadFile;
using testing::Receiving;
using testing::WriteFile;
using Texts = std::vector<std::string>;

class DownloadPassTest : public testing::EngineFixture {
protected:
  fs::path Saved(const std::string &name) const {
    return fs::path(engine->settings.sDownloadDir) / (name + ".flv");
  }
  // The items as "PAGE STATUS SIZE,..." (PAGE the last part of its address), or without sizes.
  std::string Items(bool size = true) const {
    std::string items;
    for (const auto &item : engine->items)
      items += (items.empty() ? "" : ",") + item.Video_URL.substr(item.Video_URL.rfind('/') + 1) +
               " " + item.Status + (size ? " " + item.FileSize : "");
    return items;
  }
};

TEST_F(DownloadPassTest, EveryUnfinishedItemIsReceivedIntoItsFolder) {
  engine->settings.sDownloadDir = (dir / "deep" / "er" / "videos").string();
  engine->state.sActivePage = "About";
  AddVideo("known", Pattern(100000));
  AddVideo("unknown", Pattern(50000, 2), false);
  engine->items.AddItem("http://www.putfile.com/page/x", "x.flv", "Complete", "1 KB");
  engine->items.AddItem("http://www.putfile.com/page/y", "y.flv", "ERROR", "????");
  Texts seen[2];
  bool downloading = false;
  pump.action = [&](long) {
    downloading = downloading || engine->state.bDownloading;
    for (std::size_t i : {0, 1})
      if (Receiving(Item(i).Status) && (seen[i].empty() || seen[i].back() != Item(i).Status))
        seen[i].push_back(Item(i).Status);
  };
  engine->pass.StartDownloading();
  EXPECT_TRUE(downloading);
  EXPECT_FALSE(engine->state.bDownloading);
  EXPECT_EQ(seen[0].back(), "100");
  EXPECT_EQ(seen[1].back(), "48.8 KB so far.."); // the size was "0" until now
  EXPECT_EQ(Items(),
            "known Complete 97.7 KB,unknown Complete 48.8 KB,x Complete 1 KB,y ERROR ????");
  EXPECT_EQ(grid.Texts().at(1)[3], "Complete");
  EXPECT_EQ(ReadFile(Saved("known")), Pattern(100000));
  EXPECT_EQ(ReadFile(Saved("unknown")), Pattern(50000, 2));
  EXPECT_FALSE(fs::exists(Saved("x")));
  EXPECT_EQ(movie.sets, "downloadBtnTab=1"); // from the About page
}

// The first fetch measures the page against its own size; the second one
// against the size the previous item's header request left behind.
TEST_F(DownloadPassTest, PreparingPercentagesUseTheLastKnownSize) {
  Serve("/page/one",
        "<param value=\"http://media.putfile.com/files/one.flv\">" + std::string(6000, ' '));
  Serve("/files/one.flv", Pattern(100000));
  Serve("/page/two", "<param value=\"http://media.putfile.com/files/two.flv\">" +
                         std::string(4946, ' ')); // 5000 bytes: 5 % of 100000
  Serve("/files/two.flv", Pattern(10));
  engine->adder.AddLinks({"http://www.putfile.com/page/one", "http://www.putfile.com/page/two"});
  std::set<std::string> preparing[2];
  pump.action = [&](long) {
    const auto current = engine->current.Find(engine->items);
    if (current && engine->fetcher.GettingLink())
      preparing[*current].insert(grid.Texts().at(*current)[3]);
  };
  engine->pass.StartDownloading();
  EXPECT_TRUE(preparing[0].count("Preparing (100%)"));
  EXPECT_TRUE(preparing[1].count("Preparing (5%)"));
  EXPECT_FALSE(preparing[1].count("Preparing (100%)"));
}

TEST_F(DownloadPassTest, FailedTransfersAreErrorsAndSayWhy) {
  // The video cannot be opened; the header request of the next finds no file (the size text
  // "-1 Bytes"), and its error page is not received into the folder.
  for (const auto &[name, head, get] :
       {std::tuple("gone", "HTTP/1.1 200 OK\r\nContent-Length: 10", "HTTP/1.1 404 Not Found"),
        std::tuple("ghost", "HTTP/1.0 404 Nothing", "HTTP/1.1 200 OK")}) {
    AddVideo(name, "");
    Serve("/files/" + std::string(name) + ".flv", [head = head, get = get](bool isHead) {
      return testing::RawServer::Reply{
          testing::RawResponse(isHead ? head : get, "", isHead ? "" : "error page")};
    });
  }
  AddVideo("fine", "fine");
  engine->pass.StartDownloading();
  EXPECT_EQ(Items(), "gone ERROR 10 Bytes,ghost ERROR -1 Bytes,fine Complete 4 Bytes");
  EXPECT_FALSE(fs::exists(Saved("ghost")));
  ASSERT_EQ(messages.logged.size(), 2u) << ::testing::PrintToString(messages.logged);
  EXPECT_EQ(messages.logged[0].rfind("gone.flv: the server answered 404", 0), 0u);
  EXPECT_EQ(messages.logged[1], "ghost.flv: the server reported no such file");
  // A folder that cannot be made fails the item instead of completing it.
  NewEngine();
  WriteFile(dir / "afile", "x");
  engine->settings.sDownloadDir = (dir / "afile" / "videos").string();
  AddVideo("fine", "fine");
  engine->pass.StartDownloading();
  EXPECT_EQ(Items(), "fine ERROR 4 Bytes");
}

// Items whose videos carry one name are saved under free variants of it,
// also when the item that completed the name has left the list, and so is
// an item whose name a file in the folder has: nothing there is replaced.
TEST_F(DownloadPassTest, NoTwoItemsShareAFile) {
  for (const std::string page : {"x", "y", "z"}) {
    Serve("/page/" + page, "<param value=\"http://media.putfile.com/" + page + "/clip.flv\">");
    Serve("/" + page + "/clip.flv", "video " + page);
    engine->adder.AddLink("http://www.putfile.com/page/" + page);
  }
  fs::create_directories(engine->settings.sDownloadDir);
  WriteFile(Saved("clip"), "there before");
  fs::permissions(Saved("clip"), fs::perms::owner_read);
  pump.action = [&](long) {
    if (engine->items.Count() == 3 && Item(2).Status.rfind("Preparing", 0) == 0) {
      engine->items.RemoveItem(1);
      engine->binder.BindList();
    }
  };
  engine->pass.StartDownloading();
  ASSERT_EQ(engine->items.Count(), 2u);
  EXPECT_EQ(Item(0).FileName, "clip (3).flv");
  EXPECT_EQ(Item(1).FileName, "clip (4).flv");
  EXPECT_EQ(Items(), "y Complete 7 Bytes,z Complete 7 Bytes");
  EXPECT_EQ(ReadFile(Saved("clip")), "there before");
  EXPECT_EQ(ReadFile(Saved("clip (2)")), "video x");
  EXPECT_EQ(ReadFile(Saved("clip (3)")), "video y");
  EXPECT_EQ(ReadFile(Saved("clip (4)")), "video z");
  EXPECT_EQ(base::NameVariant("Enter File Name", 2), "Enter File Name (2)"); // no extension
}

TEST_F(DownloadPassTest, ThePageFetchIsNeitherDisturbedNorEndless) {
  AddVideo("a", Pattern(1000));
  Serve("/page/huge", std::string(17 * 1024 * 1024, 'x')); // no page
  engine->adder.AddLink("http://www.putfile.com/page/huge");
  pump.action = [&](long) {
    if (engine->fetcher.GettingLink() && engine->items.Count() == 2)
      for (int n = 0; n < 50; ++n) // enough to move the list's storage
        engine->adder.AddLink("http://www.example.org/" + std::to_string(n));
  };
  engine->pass.StartDownloading();
  EXPECT_EQ(Item(0).Status, "Complete");
  EXPECT_EQ(ReadFile(Saved("a")), Pattern(1000));
  EXPECT_EQ(Item(1).Status, "ERROR");
  EXPECT_EQ(Item(1).FileName, "Waiting (Auto Detect)"); // not fetched: -2
}

// Edits the user makes while an item is received: every item keeps its own outcome, items appended
// are reached, and a pass that gets to the last item noted at its start by skipping ends there.
TEST_F(DownloadPassTest, EditsDuringATransfer) {
  const struct {
    const char *before;  // videos, or "=name": finished already
    std::size_t running; // the edit comes once this item receives
    const char *edit;    // "+": the late video is added; "-N": item N removed
    const char *after;   // "page status", in list order
  } cases[] = {
      {"a", 0, "+", "a Complete,late Complete"},
      {"a,=done", 0, "+", "a Complete,done Complete,late Waiting"},
      {"a,=d1,=d2", 0, "-2 +", "a Complete,d2 Complete,late Waiting"},
      {"a,b", 0, "all", ""},
      {"a,b", 0, "-1", "b Complete"},
      {"=old,a,b", 1, "-1", "a Complete,b Complete"},
      {"=x,a,b", 1, "-2 -1", "b Complete"},
      {"a,b", 0, "down", "b Complete,a Complete"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " on " + c.before);
    pump.action = nullptr; // the last row's edit looks at that row's locals
    NewEngine();
    ServeVideo(*this, "late", "late");
    std::istringstream before(c.before);
    for (std::string item; std::getline(before, item, ',');)
      if (item[0] == '=')
        engine->items.AddItem("http://www.putfile.com/page/" + item.substr(1), "f", "Complete", "");
      else
        AddVideo(item, Pattern(item == "a" ? 300000 : 1000));
    bool edited = false;
    pump.action = [&](long) {
      if (edited || c.running >= engine->items.Count() || !Receiving(Item(c.running).Status))
        return;
      edited = true;
      std::istringstream words(c.edit);
      for (std::string word; words >> word;)
        if (word == "+")
          engine->adder.AddLink("http://www.putfile.com/page/late");
        else if (word == "all") {
          engine->editor.SelectAll();
          engine->editor.RemoveSelected();
        } else if (word == "down")
          engine->items.MoveItemDown(1);
        else
          engine->items.RemoveItem(std::stoi(word.substr(1)));
      engine->binder.BindList();
    };
    engine->pass.StartDownloading();
    EXPECT_TRUE(edited);
    EXPECT_FALSE(engine->state.bDownloading);
    EXPECT_EQ(Items(false), c.after);
    EXPECT_EQ(grid.RowCount(), static_cast<int>(engine->items.Count()));
  }
}

using Box = host::MessageBox;

class StartStopControlTest : public testing::EngineFixture {
protected:
  void AddVideo(const std::string &name, std::size_t size) {
    EngineFixture::AddVideo(name, testing::Pattern(size));
  }
  // Whether the first item's video is being received.
  bool Receiving() const {
    return !engine->items.IsListEmpty() && testing::Receiving(engine->items[0].Status);
  }
  // Clicks the control `clicks` times from inside the pass, while the first
  // item's video is received.
  void ClickDuringTransfer(int clicks) {
    pump.action = [this, clicks](long) {
      if (clicked >= clicks || !Receiving())
        return;
      if (++clicked == 1)
        captionAtClick = control().Caption();
      control().cmdStartDownload_Click();
    };
  }
  StartStopControl &control() { return engine->control; }
  std::string Shown() { return messages.shown.empty() ? "" : messages.shown.back().text; }

  int clicked = 0;
  std::string captionAtClick;
};

// No pass starts for an empty list or offline; one that ends by itself restores the idle state.
TEST_F(StartStopControlTest, NoPassStartsForAnEmptyListOrOfflineAndAnEndRestoresTheIdleState) {
  control().cmdStartDownload_Click();
  EXPECT_EQ(movie.sets, "startDownload=1");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Shown(), "Please add video URL's first.");
  EXPECT_EQ(messages.shown[0].title, "Empty List");
  EXPECT_EQ(messages.shown[0].icon, Box::Icon::Exclamation);
  AddVideo("a", 10);
  connectivity.online = false;
  movie.sets.clear();
  control().cmdStartDownload_Click();
  EXPECT_EQ(Shown(), "You are not connected to the internet, Please connect first then try again");
  EXPECT_EQ(messages.shown[1].title, "Vidtrawl");
  EXPECT_TRUE(movie.sets.empty());
  EXPECT_EQ(control().Caption(), "Start Downloading");
  EXPECT_EQ(engine->items[0].Status, "Waiting");
  // Online, a pass runs and, ending by itself, restores the idle state.
  connectivity.online = true;
  engine->items.RemoveItem(1);
  AddVideo("a", 100000);
  movie.sets.clear();
  std::string captions;
  control().OnCaptionsChanged(
      [&] { captions += control().Caption() + "/" + control().MenuCaption() + ";"; });
  std::string captionDuring;
  pump.action = [&](long) { captionDuring = control().Caption(); };
  control().cmdStartDownload_Click();
  EXPECT_EQ(engine->items[0].Status, "Complete");
  EXPECT_EQ(captionDuring, "Stop Downloading");
  EXPECT_EQ(movie.sets, "downloadBtn=0 startDownload=0 downloadTab=0 startDownload=1 "
                        "downloadBtn=1 downloadTab=1");
  EXPECT_EQ(captions, "Stop Downloading/Start Downloading;Stop Downloading/Stop Downloading;"
                      "Start Downloading/Stop Downloading;Start Downloading/Start Downloading;");
}

// A confirmed stop shows the idle state at once and cancels the item; a
// start while the pass winds down starts no second pass.
TEST_F(StartStopControlTest, AConfirmedStopCancelsTheItemAndNothingMoreStarts) {
  AddVideo("a", 400000);
  AddVideo("b", 10);
  messages.answer = Box::Answer::Yes;
  ClickDuringTransfer(2);
  control().cmdStartDownload_Click();
  EXPECT_EQ(clicked, 2);
  EXPECT_EQ(captionAtClick, "Stop Downloading");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Shown(), "Are you sure that you want to cancel downloading?");
  EXPECT_EQ(messages.shown[0].buttons, Box::Buttons::YesNo);
  EXPECT_EQ(messages.shown[0].icon, Box::Icon::Question);
  EXPECT_EQ(engine->items[0].Status, "Cancelled");
  EXPECT_EQ(engine->items[1].Status, "Waiting");
  EXPECT_EQ(control().Caption(), "Start Downloading");
  EXPECT_FALSE(engine->state.bDownloading);
  // The stop set the idle variables; the end of the pass did not set them again.
  EXPECT_EQ(movie.sets, "downloadBtn=0 startDownload=0 downloadTab=0 downloadBtn=1 "
                        "startDownload=1 downloadTab=1");
}

TEST_F(StartStopControlTest, AStopStillWorksAfterTheListWasEmptied) {
  AddVideo("a", 400000);
  messages.answer = Box::Answer::Yes;
  pump.action = [&](long) {
    if (!Receiving())
      return;
    engine->editor.SelectAll();
    engine->editor.RemoveSelected();
    control().cmdStartDownload_Click();
  };
  control().cmdStartDownload_Click();
  EXPECT_EQ(Shown(), "Are you sure that you want to cancel downloading?");
  EXPECT_TRUE(engine->state.bStopRequested);
  // The transfer was cancelled, not run to its end.
  const auto saved = std::filesystem::path(engine->settings.sDownloadDir) / "a.flv";
  EXPECT_FALSE(std::filesystem::exists(saved));
  EXPECT_LT(std::filesystem::file_size(saved.string() + ".vidtrawl-part"), 400000u);
}

} // namespace
} // namespace vidtrawl::scheduler
