// What the console shows: the pieces of its lines, the progress for a log
// and for a terminal, the ticks that redraw it, and the final table.
#include "cli/ConsolePump.h"
#include "cli/ConsoleText.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"
#include "cli/ResultTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace vidtrawl::cli {
namespace {

ItemView Item(int id, std::string status, std::int64_t bytes = -1, double total = 0,
              std::string name = "clip.flv") {
  const StatusKind kind = KindOf(status);
  const std::string url = "http://blip.tv/file/" + std::to_string(id);
  const bool current = kind == StatusKind::Downloading || kind == StatusKind::Preparing;
  return {id, url, name, status, "", kind, bytes, total, 0, 2.5, current};
}

// The pieces of the progress lines: bars that never overflow, times that
// may be unknown, texts cut at a character and not a byte.
TEST(ConsoleText, BarsTimesAndFittedTexts) {
  const std::pair<std::string, std::string> cases[] = {
      {ProgressBar(7, 4, false), "####"},
      {ProgressBar(0.999, 3, true), "██▉"},
      {DurationText(std::numeric_limits<double>::infinity()), "--:--"},
      {ElapsedText(90), "1:30"},
      {FitWidth("ééééé", 3), "éé~"},
      {FitWidth("abc", 0), ""},
  };
  for (const auto &[made, expected] : cases)
    EXPECT_EQ(made, expected);
}

TEST(PlainProgressView, OneLinePerChangeOfStateAndPerTenthOrFiveSeconds) {
  const std::string wait = "Waiting (Auto Detect)", unsupported = "Un supported link";
  const struct {
    std::size_t index; // of the item that changes; the list grows by one at its end
    ItemView item;
    int second;
    std::string lines;
  } steps[] = {
      {0, Item(1, "Waiting", -1, 0, wait), 0, ""}, // the states an item is added in
      {1, Item(2, "Link is not supported", -1, 0, "ERROR"), 0, ""},
      {0, Item(1, "Preparing (0%)", -1, 0, wait), 0, "[1] Preparing http://blip.tv/file/1\n"},
      {0, Item(1, "Preparing (40%)", -1, 0, wait), 0, ""},
      {0, Item(1, "3", 300, 10000), 0, "[1] Downloading clip.flv (9.8 KB)\n"},
      {0, Item(1, "15", 1500, 10000), 0, "[1] 10% (1.5 KB of 9.8 KB)\n"},
      {0, Item(1, "19", 1900, 10000), 0, ""},
      {0, Item(1, "25", 2500, 10000), 0, "[1] 20% (2.4 KB of 9.8 KB)\n"},
      {0, Item(1, "99", 9999, 10000), 0, "[1] 90% (9.8 KB of 9.8 KB)\n"},
      {0, Item(1, "Complete", 10000), 0, "[1] Complete clip.flv, 9.8 KB in 2.5 s\n"},
      {1, Item(2, "ERROR", -1, 0, unsupported), 0,
       "[2] ERROR: " + unsupported + " (http://blip.tv/file/2)\n"},
      {2, Item(3, "1 KB so far..", 1024), 0, "[3] Downloading clip.flv (size unknown)\n"},
      {2, Item(3, "2 KB so far..", 2048), 1, ""},
      {2, Item(3, "4 KB so far..", 4096), 5, "[3] 4 KB so far\n"},
      {2, Item(3, "Cancelled", 4096), 6, "[3] Cancelled clip.flv, 4 KB in 2.5 s kept\n"},
  };
  std::string written;
  PlainProgressView view([&](const std::string &text) { written += text; });
  ProgressSnapshot snapshot;
  const auto start = PlainProgressView::Clock::now();
  for (const auto &step : steps) {
    SCOPED_TRACE(step.item.status);
    snapshot.items.resize(std::max(snapshot.items.size(), step.index + 1));
    snapshot.items[step.index] = step.item;
    written.clear();
    view.Report(snapshot, start + std::chrono::seconds(step.second));
    EXPECT_EQ(written, step.lines);
  }
}

TEST(LiveProgressView, FiguresOfATransferRedrawsInPlaceAndAWindowOverATallList) {
  std::string screen;
  std::size_t rows = 40;
  LiveProgressView view([&](const std::string &text) { screen += text; }, {false, false},
                        [&] { return std::make_pair(std::size_t{100}, rows); });
  ItemView moving = Item(7, "25", 1024 * 1024, 4096.0 * 1024, std::string(200, 'n'));
  moving.rate = 512 * 1024;
  const std::string line = view.Line(moving, 132);
  EXPECT_NE(line.find("######-"), std::string::npos) << line;
  EXPECT_NE(line.find("-  25%  1 MB of 4 MB  512 KB/s  0:06 left"), std::string::npos) << line;

  const ProgressSnapshot two{{Item(1, "Waiting"), Item(2, "Waiting")}, true};
  view.Show(two);
  EXPECT_EQ(screen.find("\x1b[2A"), std::string::npos) << "nothing to go back over yet";
  screen.clear();
  view.Show(two);
  EXPECT_EQ(screen.rfind("\x1b[2A\r", 0), 0u) << "back to the first line";
  screen.clear();
  view.MakeRoomForMessage();
  EXPECT_EQ(screen, "\x1b[2A\r\x1b[J");
  view.Finish(two);
  screen.clear();
  rows = 10;
  ProgressSnapshot tall{{}, true};
  for (int id = 1; id <= 50; ++id)
    tall.items.push_back(Item(id, id < 30 ? "Complete" : id == 30 ? "Preparing (5%)" : "Waiting"));
  view.Show(tall);
  EXPECT_EQ(screen.find("\x1b[2A"), std::string::npos) << "the finished frame stays";
  EXPECT_EQ(std::count(screen.begin(), screen.end(), '\n'), 8);
  EXPECT_NE(screen.find(" 30 "), std::string::npos) << "the current item is shown";
  EXPECT_NE(screen.find("43 more; of 50 items: 29 complete"), std::string::npos) << screen;
}

TEST(ConsolePump, AnInterruptStopsEvenAPassThatClearedTheFlagAndTicksNeverNest) {
  std::atomic<bool> interrupted{false};
  int stops = 0, ticks = 0;
  ConsolePump pump(interrupted);
  pump.OnInterrupt([&] { ++stops; });
  pump.StartTicks(
      [&] {
        ++ticks;
        pump.RaiseTick();
        pump.Yield(); // a tick that pumps does not tick again inside
      },
      std::chrono::hours(1));
  pump.Yield();
  EXPECT_EQ(stops + ticks, 0);
  pump.RaiseTick();
  pump.Yield();
  EXPECT_EQ(ticks, 1);
  pump.Yield(); // raised again inside the tick
  EXPECT_EQ(ticks, 2);
  pump.StopTicks();
  pump.RaiseTick();
  pump.Yield();
  EXPECT_EQ(ticks, 2);
  interrupted = true;
  pump.Yield();
  pump.Yield(); // asked again: a pass that began meanwhile cleared its flag
  EXPECT_EQ(stops, 2);
}

// A page's file name with a terminal's title sequence in it, and an address
// with a tab: both must stay one visible field of their line.
const std::vector<engine::DownloadItem> kItems = {
    {1, "http://blip.tv/file/1", "a.flv", "Complete", "0"},
    {2, "http://www.example.org/\tx", "bad\x1b]0;title\x07.flv", "Link is not supported", "????"},
    {3, "http://media.putfile.com/2", "long name.flv", "Cancelled", "1 MB"}};

TEST(ResultTable, ColumnsLineUpAndSizesComeFromTheFiles) {
  testing::TempDir dir;
  testing::WriteFile(dir / "a.flv", std::string(3072, 'x'));
  testing::WriteFile(dir / "long name.flv", "an earlier file");
  testing::WriteFile(dir / "long name.flv.part", std::string(512 * 1024, 'x'));
  std::istringstream table(ResultTable(kItems, dir.path().string()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(table, line);)
    lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  // Where a text begins on a line, in the terminal's columns.
  const auto at = [&](std::size_t line, const char *text) {
    return DisplayWidth(lines[line].substr(0, lines[line].find(text)));
  };
  const char *names[] = {"FILE NAME", "a.flv", "bad", "long name.flv"};
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(at(i, names[i]), at(0, names[0])) << lines[i];
    EXPECT_EQ(at(i, "http://"), at(0, "ADDRESS")) << lines[i];
    EXPECT_EQ(lines[i].find_first_of("\t\x1b\x07"), std::string::npos) << lines[i];
  }
  EXPECT_NE(lines[1].find(" 3 KB  "), std::string::npos) << lines[1]; // received, not "0"
  EXPECT_NE(lines[2].find("????"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("512 KB of 1 MB"), std::string::npos) << lines[3];
}

} // namespace
} // namespace vidtrawl::cli
