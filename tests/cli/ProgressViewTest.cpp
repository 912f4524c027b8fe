#include "cli/ConsolePump.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"

#include <gtest/gtest.h>

namespace vidtrawl::cli {
namespace {

using Clock = PlainProgressView::Clock;

ItemView Item(int id, std::string status, std::string name = "clip.flv") {
  ItemView item;
  item.id = id;
  item.url = "http://blip.tv/file/" + std::to_string(id);
  item.fileName = std::move(name);
  item.status = std::move(status);
  item.kind = KindOf(item.status);
  return item;
}

ProgressSnapshot Snapshot(std::vector<ItemView> items) {
  ProgressSnapshot snapshot;
  snapshot.items = std::move(items);
  snapshot.running = true;
  return snapshot;
}

TEST(PlainProgressView, OneLinePerKindChangeAndPerTenPercent) {
  std::string log;
  PlainProgressView view([&](const std::string &text) { log += text; });
  const Clock::time_point t0 = Clock::now();

  view.Report(Snapshot({Item(1, "Waiting", "Waiting (Auto Detect)"),
                        Item(2, "Link is not supported", "ERROR")}),
              t0);
  EXPECT_EQ(log, "") << "the states items are added in need no line";

  view.Report(Snapshot({Item(1, "Preparing (0%)", "Waiting (Auto Detect)"),
                        Item(2, "Link is not supported", "ERROR")}),
              t0);
  view.Report(Snapshot({Item(1, "Preparing (40%)", "Waiting (Auto Detect)"),
                        Item(2, "Link is not supported", "ERROR")}),
              t0);
  ItemView moving = Item(1, "3");
  moving.current = true;
  moving.total = 10000;
  for (std::int64_t bytes : {300, 1500, 1900, 2500, 9999}) {
    moving.bytes = bytes;
    view.Report(Snapshot({moving, Item(2, "Link is not supported", "ERROR")}), t0);
  }
  ItemView done = Item(1, "Complete");
  done.bytes = 10000;
  done.seconds = 2.5;
  view.Report(Snapshot({done, Item(2, "ERROR", "Un supported link")}), t0);

  EXPECT_EQ(log, "[1] Preparing http://blip.tv/file/1\n"
                 "[1] Downloading clip.flv (9.8 KB)\n"
                 "[1] 10% (1.5 KB of 9.8 KB)\n"
                 "[1] 20% (2.4 KB of 9.8 KB)\n"
                 "[1] 90% (9.8 KB of 9.8 KB)\n"
                 "[1] Complete clip.flv, 9.8 KB in 2.5 s\n"
                 "[2] ERROR: Un supported link (http://blip.tv/file/2)\n");
}

TEST(PlainProgressView, UnknownSizeReportsEveryFewSeconds) {
  std::string log;
  PlainProgressView view([&](const std::string &text) { log += text; });
  const Clock::time_point t0 = Clock::now();
  ItemView item = Item(1, "1 KB so far..");
  item.current = true;
  item.bytes = 1024;
  view.Report(Snapshot({item}), t0);
  item.bytes = 2048;
  view.Report(Snapshot({item}), t0 + std::chrono::seconds(1));
  item.bytes = 4096;
  view.Report(Snapshot({item}), t0 + PlainProgressView::kUnsizedInterval);
  EXPECT_EQ(log, "[1] Downloading clip.flv (size unknown)\n[1] 4 KB so far\n");
}

LiveProgressView MakeLive(std::string &screen, std::size_t columns, std::size_t rows) {
  return LiveProgressView([&](const std::string &text) { screen += text; },
                          LiveProgressView::Style{false, false},
                          [columns, rows] { return std::make_pair(columns, rows); });
}

TEST(LiveProgressView, ATransferShowsItsBarAndFigures) {
  std::string screen;
  LiveProgressView view = MakeLive(screen, 80, 24);
  ItemView item = Item(7, "42", std::string(200, 'n') + ".flv");
  item.current = true;
  item.total = 4096.0 * 1024;
  item.bytes = 1024 * 1024;
  item.rate = 512 * 1024;
  const std::string line = view.Line(item, 132);
  EXPECT_LT(line.size(), 132u) << line;
  EXPECT_NE(line.find("######"), std::string::npos) << line;
  EXPECT_NE(line.find(" 25%"), std::string::npos) << line;
  EXPECT_NE(line.find("1 MB of 4 MB  512 KB/s  0:06 left"), std::string::npos) << line;
}

TEST(LiveProgressView, RedrawsInPlace) {
  std::string screen;
  LiveProgressView view = MakeLive(screen, 100, 40);
  const ProgressSnapshot two = Snapshot({Item(1, "Waiting"), Item(2, "Waiting")});
  view.Show(two);
  EXPECT_EQ(screen.find("\x1b[2A"), std::string::npos) << "nothing to go back over yet";
  screen.clear();
  view.Show(two);
  EXPECT_EQ(screen.rfind("\x1b[2A\r", 0), 0u) << "back to the first line";
  screen.clear();
  view.MakeRoomForMessage();
  EXPECT_EQ(screen, "\x1b[2A\r\x1b[J");
  screen.clear();
  view.Finish(two);
  view.Show(two);
  EXPECT_EQ(screen.find("\x1b[2A"), std::string::npos) << "the finished frame stays";
}

TEST(LiveProgressView, ATallListShowsAWindowAndASummary) {
  std::string screen;
  LiveProgressView view = MakeLive(screen, 100, 10);
  std::vector<ItemView> items;
  for (int id = 1; id <= 50; ++id)
    items.push_back(Item(id, id < 30 ? "Complete" : "Waiting"));
  items[29].status = "Preparing (5%)";
  items[29].kind = StatusKind::Preparing;
  items[29].current = true;
  view.Show(Snapshot(items));
  std::size_t lines = 0;
  for (char c : screen)
    lines += c == '\n';
  EXPECT_EQ(lines, 8u);
  EXPECT_NE(screen.find(" 30 "), std::string::npos) << "the current item is shown";
  EXPECT_NE(screen.find("43 more; of 50 items: 29 complete"), std::string::npos) << screen;
}

TEST(ConsolePump, AnInterruptStopsEvenAPassThatClearedTheFlag) {
  std::atomic<bool> interrupted{false};
  int stops = 0;
  ConsolePump pump(interrupted);
  pump.OnInterrupt([&] { ++stops; });
  pump.Yield();
  EXPECT_EQ(stops, 0);
  interrupted = true;
  pump.Yield();
  pump.Yield(); // asked again: a pass that began meanwhile cleared its flag
  EXPECT_EQ(stops, 2);
}

TEST(ConsolePump, TicksOnlyWhenDueAndNeverNested) {
  std::atomic<bool> interrupted{false};
  ConsolePump pump(interrupted);
  int ticks = 0;
  pump.StartTicks(
      [&] {
        ++ticks;
        pump.RaiseTick();
        pump.Yield(); // a tick that pumps does not tick again inside
      },
      std::chrono::hours(1));
  pump.Yield();
  EXPECT_EQ(ticks, 0);
  pump.RaiseTick();
  pump.Yield();
  EXPECT_EQ(ticks, 1);
  pump.Yield(); // raised again inside the tick
  EXPECT_EQ(ticks, 2);
  pump.StopTicks();
  pump.RaiseTick();
  pump.Yield();
  EXPECT_EQ(ticks, 2);
}

} // namespace
} // namespace vidtrawl::cli
