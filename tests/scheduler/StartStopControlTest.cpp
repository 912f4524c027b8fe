#include "scheduler/StartStopControl.h"

#include "support/EngineFixture.h"

using namespace vidtrawl;
using Box = host::MessageBox;
using Sets = std::vector<std::pair<std::string, std::string>>;

namespace {

class StartStopControlTest : public vidtrawl::testing::EngineFixture {
protected:
  void AddVideo(const std::string &name, std::size_t size) {
    Serve("/page/" + name, "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
    Serve("/files/" + name + ".flv", vidtrawl::testing::Pattern(size));
    engine->adder.AddLink("http://www.putfile.com/page/" + name);
  }
  scheduler::StartStopControl &control() { return engine->control; }
  // Clicks the control once, from inside the running pass, when the first
  // item's video transfer is under way.
  void ClickDuringTransfer() {
    pump.action = [this](long) {
      const std::string &status = engine->items[0].Status;
      if (clicked || status.empty() || status.find_first_not_of("0123456789") != std::string::npos)
        return;
      clicked = true;
      captionAtClick = control().Caption();
      control().cmdStartDownload_Click();
    };
  }
  bool clicked = false;
  std::string captionAtClick;
};

} // namespace

TEST_F(StartStopControlTest, EmptyListAsksForAddressesFirst) {
  control().cmdStartDownload_Click();
  EXPECT_EQ(movie.sets, (Sets{{"_root.startDownload", "1"}}));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Please add video URL's first.");
  EXPECT_EQ(messages.shown[0].title, "Empty List");
  EXPECT_EQ(messages.shown[0].icon, Box::Icon::Exclamation);
  EXPECT_EQ(control().Caption(), "Start Downloading");
}

TEST_F(StartStopControlTest, OfflineStartIsRefused) {
  AddVideo("a", 10);
  connectivity.online = false;
  control().cmdStartDownload_Click();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "You are not connected to the internet, Please connect first then try again");
  EXPECT_EQ(messages.shown[0].title, "Vidtrawl");
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
  EXPECT_EQ(control().Caption(), "Start Downloading");
  EXPECT_EQ(control().MenuCaption(), "Start Downloading");
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

TEST_F(StartStopControlTest, ConfirmedStopShowsIdleAtOnceAndCancelsTheItem) {
  AddVideo("a", 400000);
  AddVideo("b", 10);
  messages.answer = Box::Answer::Yes;
  ClickDuringTransfer();
  control().cmdStartDownload_Click();
  ASSERT_TRUE(clicked);
  EXPECT_EQ(captionAtClick, "Stop Downloading");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Are you sure that you want to cancel downloading?");
  EXPECT_EQ(messages.shown[0].buttons, Box::Buttons::YesNo);
  EXPECT_EQ(messages.shown[0].icon, Box::Icon::Question);
  EXPECT_EQ(engine->items[0].Status, "Cancelled");
  EXPECT_EQ(engine->items[1].Status, "Waiting");
  EXPECT_EQ(control().Caption(), "Start Downloading");
  // The stop set the idle variables; the end of the pass did not set them again.
  EXPECT_EQ(movie.sets, (Sets{{"_root.downloadBtn", "0"},
                              {"_root.startDownload", "0"},
                              {"_root.downloadTab", "0"},
                              {"_root.downloadBtn", "1"},
                              {"_root.startDownload", "1"},
                              {"_root.downloadTab", "1"}}));
}

TEST_F(StartStopControlTest, DeclinedStopLetsThePassGoOn) {
  AddVideo("a", 400000);
  messages.answer = Box::Answer::No;
  ClickDuringTransfer();
  control().cmdStartDownload_Click();
  ASSERT_TRUE(clicked);
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(engine->items[0].Status, "Complete");
  EXPECT_EQ(movie.sets.size(), 6u);
}

TEST_F(StartStopControlTest, AStartDuringTheWindDownStartsNoSecondPass) {
  AddVideo("a", 400000);
  AddVideo("b", 10);
  messages.answer = Box::Answer::Yes;
  int clicks = 0;
  pump.action = [&](long) {
    const std::string &status = engine->items[0].Status;
    if (clicks >= 2 || status.empty() ||
        status.find_first_not_of("0123456789") != std::string::npos)
      return;
    ++clicks;
    control().cmdStartDownload_Click(); // first: stop; second: a start while winding down
  };
  control().cmdStartDownload_Click();
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(engine->items[0].Status, "Cancelled");
  EXPECT_EQ(engine->items[1].Status, "Waiting");
  EXPECT_EQ(control().Caption(), "Start Downloading");
  EXPECT_FALSE(engine->state.bDownloading);
}

TEST_F(StartStopControlTest, StopStillWorksAfterTheListWasEmptied) {
  AddVideo("a", 400000);
  messages.answer = Box::Answer::Yes;
  bool stopped = false;
  pump.action = [&](long) {
    if (stopped || engine->items.IsListEmpty() ||
        engine->items[0].Status.find_first_not_of("0123456789") != std::string::npos)
      return;
    engine->editor.SelectAll();
    engine->editor.RemoveSelected();
    control().cmdStartDownload_Click();
    stopped = true;
  };
  control().cmdStartDownload_Click();
  ASSERT_TRUE(stopped);
  EXPECT_TRUE(engine->state.bStopRequested);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Are you sure that you want to cancel downloading?");
  // The transfer was cancelled, not run to its end.
  const std::filesystem::path saved =
      std::filesystem::path(engine->settings.sDownloadDir) / "a.flv";
  EXPECT_FALSE(std::filesystem::exists(saved));
  EXPECT_LT(std::filesystem::file_size(saved.string() + ".part"), 400000u);
}
