// What the console shows: pieces of lines, progress for a log and a terminal, the table.
#include "base/ControlCharacters.h"
#include "cli/ConsoleText.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"
#include "cli/ResultTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>


namespace vidtrawl::cli {
namespace {

ItemView Item(int id, std::string status, std::int64_t bytes = -1, double total = 0,
              std::string name = "clip.flv") {
  const StatusKind kind = KindOf(status);
  const std::string url = "http://blip.tv/file/" + std::to_string(id);
  const bool current = kind == StatusKind::Downloading || kind == StatusKind::Preparing;
  return {id, url, name, status, "", kind, bytes, total, 0, 2.5, current};
}

// Bars that never overflow, times that may be unknown, texts cut at a character, not a byte.
TEST(ConsoleText, BarsTimesAndFittedTexts) {
  const std::pair<std::string, std::string> cases[] = {
      {ProgressBar(7, 4, false), "####"},
      {ProgressBar(0.999, 3, true), "██▉"},
      {DurationText(1.0 / 0.0), "--:--"},
      {FitWidth("ééééé", 3), "éé~"},
      {FitWidth("abc", 0), ""},
      // The last characters of two and three bytes (U+07FF, U+FF01), and one that ends the text.
      {base::VisibleText("\xDF\xBF\xEF\xBC\x81\xC3\xA9"), "\xDF\xBF\xEF\xBC\x81\xC3\xA9"},
  };
  for (const auto &[made, expected] : cases)
    EXPECT_EQ(made, expected);
}

// Each step: an item's new state (a new ID adds it) at a second of the pass, and the new lines.
TEST(PlainProgressView, OneLinePerChangeOfStateAndPerTenthOrFiveSeconds) {
  const std::string wait = "Waiting (Auto Detect)";
  const std::tuple<ItemView, int, std::string> steps[] = {
      {Item(1, "Waiting", -1, 0, wait), 0, ""}, // the states an item is added in
      {Item(2, "Link is not supported", -1, 0, "ERROR"), 0, ""},
      {Item(1, "Preparing (0%)", -1, 0, wait), 0, "[1] Preparing http://blip.tv/file/1\n"},
      {Item(1, "3", 300, 10000), 0, "[1] Downloading clip.flv (9.8 KB)\n"},
      {Item(1, "15", 1500, 10000), 0, "[1] 10% (1.5 KB of 9.8 KB)\n"},
      {Item(1, "19", 1900, 10000), 0, ""},
      {Item(1, "99", 9999, 10000), 0, "[1] 90% (9.8 KB of 9.8 KB)\n"},
      {Item(1, "Complete", 10000), 0, "[1] Complete clip.flv, 9.8 KB in 2.5 s\n"},
      {Item(2, "ERROR", -1, 0, "Bad link"), 0, "[2] ERROR: Bad link (http://blip.tv/file/2)\n"},
      {Item(3, "1 KB so far..", 1024), 0, "[3] Downloading clip.flv (size unknown)\n"},
      {Item(3, "2 KB so far..", 2048), 1, ""},
      {Item(3, "4 KB so far..", 4096), 5, "[3] 4 KB so far\n"},
      {Item(3, "Cancelled", 4096), 6, "[3] Cancelled clip.flv, 4 KB in 2.5 s kept\n"},
  };
  std::string written;
  PlainProgressView view([&](const std::string &text) { written += text; });
  ProgressSnapshot snapshot;
  const auto start = PlainProgressView::Clock::now();
  for (const auto &[item, second, lines] : steps) {
    snapshot.items.resize(std::max<std::size_t>(snapshot.items.size(), item.id));
    snapshot.items[static_cast<std::size_t>(item.id - 1)] = item;
    written.clear();
    view.Report(snapshot, start + std::chrono::seconds(second));
    EXPECT_EQ(written, lines) << item.status;
  }
}

// A transfer's figures on its line, a window over a tall list, redrawn in place until finished.
TEST(LiveProgressView, ATransfersFiguresAWindowOverATallListRedrawnInPlace) {
  std::string screen;
  LiveProgressView view([&](const std::string &text) { screen += text; }, {false, false},
                        [] { return std::make_pair(std::size_t{100}, std::size_t{10}); });
  ItemView moving = Item(7, "25", 1024 * 1024, 4096.0 * 1024, std::string(200, 'n'));
  moving.rate = 512 * 1024;
  const std::string line = view.Line(moving, 132);
  EXPECT_NE(line.find("######-"), std::string::npos) << line;
  EXPECT_NE(line.find("-  25%  1 MB of 4 MB  512 KB/s  0:06 left"), std::string::npos) << line;

  ProgressSnapshot tall{{}, true};
  for (int id = 1; id <= 50; ++id)
    tall.items.push_back(Item(id, id < 30 ? "Complete" : id == 30 ? "Preparing (5%)" : "Waiting"));
  view.Show(tall);
  EXPECT_EQ(screen.find("\x1b[8A"), std::string::npos) << "nothing to go back over yet";
  EXPECT_EQ(std::count(screen.begin(), screen.end(), '\n'), 8) << "eight rows of ten";
  EXPECT_NE(screen.find(" 30 "), std::string::npos) << "the current item is shown";
  EXPECT_NE(screen.find("43 more; of 50 items: 29 complete"), std::string::npos) << screen;
  screen.clear();
  view.Show(tall);
  EXPECT_EQ(screen.rfind("\x1b[8A\r", 0), 0u) << "back to the first line";
  view.Finish(tall);
  screen.clear();
  view.Show(tall);
  EXPECT_EQ(screen.find("\x1b[8A"), std::string::npos) << "the finished frame stays";
  screen.clear();
  view.MakeRoomForMessage();
  EXPECT_EQ(screen, "\x1b[8A\r\x1b[J");
}

// A file name from a page with a terminal's title sequence, and an address with a tab.
const std::vector<engine::DownloadItem> kItems = {
    {1, "http://blip.tv/file/1", "a.flv", "Complete", "0"},
    {2, "http://www.example.org/\tx", "bad\x1b]0;title\x07.flv", "Link is not supported", "????"},
    {3, "http://media.putfile.com/2", "long name.flv", "Cancelled", "1 MB"}};

TEST(ResultTable, ColumnsLineUpAndSizesComeFromTheFiles) {
  testing::TempDir dir;
  testing::WriteFile(dir / "a.flv", std::string(3072, 'x'));
  testing::WriteFile(dir / "long name.flv", "an earlier file");
  testing::WriteFile(dir / "long name.flv.part", std::string(512 * 1024, 'x'));
  // What was received, not the list's size texts (a cancelled item's part of its whole), in
  // columns as a terminal shows them: a stand-in takes one column, not its three bytes.
  EXPECT_EQ(
      ResultTable(kItems, dir.path().string()),
      "ID  STATUS                 FILE NAME                    SIZE  ADDRESS\n"
      " 1  Complete               a.flv                        3 KB  http://blip.tv/file/1\n"
      " 2  Link is not supported  bad\uFFFD]0;title\uFFFD.flv            ????  "
      "http://www.example.org/ x\n"
      " 3  Cancelled              long name.flv      512 KB of 1 MB  http://media.putfile.com/2\n");
}

} // namespace
} // namespace vidtrawl::cli
