#include "base/WholeFile.h"
#include "engine/PollLoop.h"
#include "host/BackgroundFileWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

namespace vidtrawl {
namespace {

std::string TextOf(const std::filesystem::path &file) {
  return base::ReadWholeFile(file, 1 << 20).text;
}

// The list is written off the loop: the latest text wins, the loop hears of each write that
// failed, and what was handed in before the end is on disk when the writer is gone.
TEST(KeptListWriter, WritesTheLatestTextOffTheLoopAndLosesNothingAtTheEnd) {
  testing::TempDir dir;
  engine::PollLoop loop;
  const std::filesystem::path file = dir.path() / "data" / "list.json";
  int failures = 0;
  {
    host::BackgroundFileWriter writer(loop, file, [&] { ++failures; });
    writer.Write("first");
    // Written without the loop's help: the loop is never run here.
    for (int i = 0; i < 500 && TextOf(file) != "first"; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(TextOf(file), "first");
    for (int i = 0; i < 200; ++i)
      writer.Write("text " + std::to_string(i));
  }
  EXPECT_EQ(TextOf(file), "text 199");
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1)
      << "no temporary file is left beside the list";

  // A folder where the file should be: each failed write is told on the loop, and the last
  // one's failure at the end too.
  const std::filesystem::path taken = dir.path() / "taken";
  std::filesystem::create_directories(taken / "inside");
  {
    host::BackgroundFileWriter writer(loop, taken, [&] { ++failures; });
    writer.Write("one");
    loop.RunUntil([&] { return failures == 1; }, std::chrono::seconds(10));
    EXPECT_EQ(failures, 1);
    writer.Write("two");
  }
  EXPECT_EQ(failures, 2);
  EXPECT_TRUE(std::filesystem::is_directory(taken / "inside"));
}

} // namespace
} // namespace vidtrawl
