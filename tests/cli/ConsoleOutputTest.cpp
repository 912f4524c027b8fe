// What the console shows: the pieces of its lines, the live view on a terminal, the log lines'
// cadence, and the final table.
#include "base/ControlCharacters.h"
#include "cli/ConsoleText.h"
#include "cli/JsonLines.h"
#include "cli/LiveProgressView.h"
#include "cli/PlainProgressView.h"
#include "cli/ResultTable.h"

#include <gtest/gtest.h>

// Items are written with designated initializers that name only the fields a row sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <clocale>
#include <cstdlib>

namespace vidtrawl::cli {
namespace {

// Bars that never overflow, times that may be unknown, texts cut at a character, not a byte, and
// fitted by the columns they take.
TEST(ConsoleText, BarsTimesAndFittedTexts) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  const std::pair<std::string, std::string> cases[] = {
      {ProgressBar(7, 4, false), "####"},
      {ProgressBar(0.5, 4, false), "##--"},
      {ProgressBar(0.999, 3, true), "██▉"},
      {ProgressBar(0.5, 4, true), "██··"},
      {PercentText(0.426), " 42%"},
      {DurationText(1.0 / 0.0), "--:--"},
      {DurationText(0.0 / 0.0) + DurationText(-1) + DurationText(360000), "--:----:----:--"},
      {DurationText(3725), "1:02:05"},
      {ElapsedText(0.44), "0.4 s"},
      {ElapsedText(-1) + ElapsedText(59.95), "--:--1:00"},
      {FitWidth("ééééé", 3), "éé~"},
      {FitWidth("日本語の名前", 6), "日本 ~"}, // a wide character that does not fit leaves a blank
      {FitWidth("e\xcc\x81x", 1), "~"},
      {FitWidthRight("ab", 4), "  ab"},
      {FitWidth("abc", 0), ""},
      {std::to_string(DisplayWidth("日本e\xcc\x81")), "5"},
      // The last characters of two, three and four bytes (U+07FF, U+FF01, U+10FFFD), and one that
      // ends the text.
      {base::VisibleText("\xDF\xBF\xEF\xBC\x81\xF4\x8F\xBF\xBD\xC3\xA9"),
       "\xDF\xBF\xEF\xBC\x81\xF4\x8F\xBF\xBD\xC3\xA9"},
      // Overlong and surrogate forms are no characters: a replacement character a byte.
      {base::VisibleText("\xe0\x80\x80\xed\xa0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                                                      "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      // A right-to-left override in an address shows as what it is.
      {base::VisibleText("a\xE2\x80\xAE"
                         "b"),
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto &[made, expected] : cases)
    EXPECT_EQ(made, expected);
}

ItemView View(int id, StatusKind kind, std::string name = "clip.flv") {
  ItemView view;
  view.id = id;
  view.kind = kind;
  view.name = std::move(name);
  view.url = "http://www.putfile.com/" + std::to_string(id);
  view.status = std::string(KindName(kind));
  return view;
}

// A list taller than the terminal shows a window around the current item and a summary; each
// redraw goes up exactly the lines it drew; no line reaches the last column, wide names included.
TEST(LiveProgressView, FramesFitTheTerminal) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  std::string out;
  std::pair<std::size_t, std::size_t> size{60, 10};
  LiveProgressView view([&](const std::string &text) { out += text; }, {true, false},
                        [&] { return size; });
  ProgressSnapshot snapshot;
  for (int i = 1; i <= 30; ++i)
    snapshot.items.push_back(View(i, StatusKind::Waiting,
                                  i == 20 ? "日本語のとても長い動画の名前です.flv" : "clip.flv"));
  snapshot.items[19].current = true;
  snapshot.items[19].kind = StatusKind::Downloading;
  snapshot.items[19].bytes = 500;
  snapshot.items[19].total = 1000;
  ItemView &stream = snapshot.items[20]; // its bar counts fragments, its size is a guess
  stream.current = true;
  stream.kind = StatusKind::Downloading;
  stream.bytes = 300;
  stream.total = 3000;
  stream.fragments = 8;
  stream.fragmentsStored = 2;
  snapshot.items[18].kind = StatusKind::Complete;
  snapshot.items[18].bytes = 2048;
  snapshot.items[18].seconds = 2;
  snapshot.items[18].rate = 1024; // its average
  snapshot.items[17].kind = StatusKind::Cancelled;
  snapshot.items[17].bytes = 1024;
  view.Show(snapshot);
  const auto lines = [](const std::string &text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  };
  EXPECT_EQ(lines(out), 8u); // rows - 2: seven items and the summary
  EXPECT_NE(out.find("20 日本"), std::string::npos) << out;
  EXPECT_NE(out.find(" 50%  500 Bytes of 1000 Bytes"), std::string::npos) << out;
  EXPECT_NE(out.find("    ... 23 more; of 30 items: 1 complete, 0 failed, 1 canc~\n"),
            std::string::npos)
      << out; // cut to the width
  std::size_t start = 0;
  for (std::size_t end = out.find('\n'); end != std::string::npos; end = out.find('\n', start)) {
    std::string line = out.substr(start, end - start);
    line = line.substr(line.rfind("\x1b[2K") + 4);
    EXPECT_LT(DisplayWidth(line), 60u) << line;
    start = end + 1;
  }
  out.clear();
  size = {60, 24};
  view.Show(snapshot);
  EXPECT_EQ(out.rfind("\x1b[8A\r", 0), 0u) << "up the eight lines drawn before";
  EXPECT_EQ(lines(out), 22u);
  EXPECT_NE(out.find("2 KB in 2.0 s, 1 KB/s"), std::string::npos) << out;
  EXPECT_NE(out.find("Cancelled        1 KB kept"), std::string::npos) << out;
  size = {140, 24};
  view.Show(snapshot);
  // A stream: its bytes of the size estimated.
  EXPECT_NE(out.find(" 10%  300 Bytes of about 2.9 KB, 2/8 fragments"), std::string::npos) << out;
  ::setenv("COLUMNS", "100000", 1);
  EXPECT_EQ(TerminalSizeOf(-1).first, kMaxColumns);
  ::setenv("COLUMNS", "0", 1);
  EXPECT_EQ(TerminalSizeOf(-1).first, 80u);
  ::unsetenv("COLUMNS");
}

// A log gets a line per change of state, and while a file arrives one per tenth of its size, or
// one every five seconds when its size is unknown.
TEST(PlainProgressView, LinesComeAtTheirCadence) {
  std::string out;
  PlainProgressView view([&](const std::string &text) { out += text; });
  const PlainProgressView::Clock::time_point start{};
  ProgressSnapshot snapshot;
  snapshot.items = {View(1, StatusKind::Waiting), View(2, StatusKind::Waiting)};
  view.Report(snapshot, start);
  EXPECT_EQ(out, "");
  ItemView &sized = snapshot.items[0];
  sized.kind = StatusKind::Downloading;
  sized.current = true;
  sized.total = 1000;
  for (int bytes = 0; bytes <= 1000; bytes += 50) {
    sized.bytes = bytes;
    view.Report(snapshot, start);
  }
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10) << out; // the change and nine tenths
  EXPECT_NE(out.find("[1] Downloading clip.flv (1000 Bytes)\n[1] 10% (100 Bytes of 1000 Bytes)\n"),
            std::string::npos)
      << out;
  out.clear();
  sized.kind = StatusKind::Complete;
  sized.current = false;
  snapshot.items[1].kind = StatusKind::Downloading;
  snapshot.items[1].current = true;
  snapshot.items[1].bytes = 10;
  for (int second = 0; second <= 12; ++second)
    view.Report(snapshot, start + std::chrono::seconds(second));
  EXPECT_EQ(out, "[1] Complete clip.flv, 1000 Bytes\n[2] Downloading clip.flv (size unknown)\n"
                 "[2] 10 Bytes so far\n[2] 10 Bytes so far\n");
  out.clear();
  snapshot.items[1].fragments = 5; // a stream's tenths are its fragments'
  snapshot.items[1].fragmentsStored = 3;
  view.Report(snapshot, start);
  EXPECT_EQ(out, "[2] 60% (10 Bytes, 3/5 fragments)\n");
  // A stop: what was kept, or that nothing was.
  out.clear();
  snapshot.items[0].kind = snapshot.items[1].kind = StatusKind::Cancelled;
  snapshot.items[1].bytes = 0;
  view.Report(snapshot, start);
  EXPECT_EQ(out, "[1] Cancelled clip.flv, 1000 Bytes kept\n[2] Cancelled clip.flv, nothing kept\n");
}

// The table: sizes on the right, what a cancelled item kept of what was announced, and why an
// item failed on a line of its own.
TEST(ResultTable, SizesAndReasons) {
  std::vector<engine::ItemView> list(3);
  list[0] = {.address = "http://www.putfile.com/a",
             .phase = engine::Phase::Cancelled,
             .fileName = "a.flv",
             .sizeKnown = engine::SizeKnown::Bytes,
             .size = 4 * 1024 * 1024,
             .received = 1536};
  list[1] = {.address = "http://www.example.org/b",
             .phase = engine::Phase::Failed,
             .fault = engine::Fault{engine::FaultKind::UnsupportedSite, {}}};
  list[2] = {.address = "http://www.putfile.com/c"};
  EXPECT_EQ(ResultTable(list),
            "ID  STATUS     FILE NAME                        SIZE  ADDRESS\n"
            " 1  Cancelled  a.flv                  1.5 KB of 4 MB  http://www.putfile.com/a\n"
            " 2  ERROR      Un supported link                ????  http://www.example.org/b\n"
            "    why: the address belongs to no supported site\n"
            " 3  Waiting    Waiting (Auto Detect)            ????  http://www.putfile.com/c\n");
  EXPECT_EQ(TsvLines(list).substr(0, 49), "1\thttp://www.putfile.com/a\ta.flv\tCancelled\t4 MB\n2");
  // A name that is no UTF-8 (a server's in Latin-1) keeps its bytes in JSON, as surrogates.
  list = {{.address = "http://h/\"q\"",
           .phase = engine::Phase::Complete,
           .fileName = "caf\xe9.flv",
           .folder = "/v",
           .size = 3}};
  EXPECT_EQ(JsonLines(list),
            "{\"bytes\":3,\"file\":\"/v/caf\\udce9.flv\",\"page\":\"http://h/\\\"q\\\"\","
            "\"reason\":null,\"status\":\"Complete\",\"video\":null}\n");
}

} // namespace
} // namespace vidtrawl::cli
