#include "scheduler/StartStopControl.h"

#include "list/StatusKind.h"
#include "support/EngineFixture.h"

namespace vidtrawl::scheduler {
namespace {

using Box = host::MessageBox;
using Sets = std::vector<std::pair<std::string, std::string>>;

class StartStopControlTest : public testing::EngineFixture {
protected:
  void AddVideo(const std::string &name, std::size_t size) {
    Serve("/page/" + name, "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
    Serve("/files/" + name + ".flv", testing::Pattern(size));
    engine->adder.AddLink("http://www.putfile.com/page/" + name);
  }
  // Whether the first item's video is being received.
  bool Receiving() const {
    return !engine->items.IsListEmpty() &&
           list::ClassifyStatus(engine->items[0].Status).kind == list::StatusKind::Progress;
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

TEST_F(StartStopControlTest, NoPassStartsForAnEmptyListOrOffline) {
  control().cmdStartDownload_Click();
  EXPECT_EQ(movie.sets, (Sets{{"_root.startDownload", "1"}}));
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
}

TEST_F(StartStopControlTest, APassThatEndsByItselfRestoresTheIdleState) {
  AddVideo("a", 100000);
  std::vector<std::string> captions;
  control().OnCaptionsChanged(
      [&] { captions.push_back(control().Caption() + "/" + control().MenuCaption()); });
  std::string captionDuring;
  pump.action = [&](long) { captionDuring = control().Caption(); };
  control().cmdStartDownload_Click();
  EXPECT_EQ(engine->items[0].Status, "Complete");
  EXPECT_EQ(captionDuring, "Stop Downloading");
  EXPECT_EQ(movie.sets, (Sets{{"_root.downloadBtn", "0"},
                              {"_root.startDownload", "0"},
                              {"_root.downloadTab", "0"},
                              {"_root.startDownload", "1"},
                              {"_root.downloadBtn", "1"},
                              {"_root.downloadTab", "1"}}));
  EXPECT_EQ(captions, (std::vector<std::string>{"Stop Downloading/Start Downloading",
                                                "Stop Downloading/Stop Downloading",
                                                "Start Downloading/Stop Downloading",
                                                "Start Downloading/Start Downloading"}));
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
  EXPECT_EQ(movie.sets, (Sets{{"_root.downloadBtn", "0"},
                              {"_root.startDownload", "0"},
                              {"_root.downloadTab", "0"},
                              {"_root.downloadBtn", "1"},
                              {"_root.startDownload", "1"},
                              {"_root.downloadTab", "1"}}));
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
  EXPECT_LT(std::filesystem::file_size(saved.string() + ".part"), 400000u);
}

} // namespace
} // namespace vidtrawl::scheduler
