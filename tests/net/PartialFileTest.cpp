// A partly received file: how it is claimed, written and completed, and the texts about its bytes.
#include "net/PartialFile.h"
#include "engine/PollLoop.h"
#include "net/CompletedFile.h"
#include "net/FileCompletion.h"
#include "net/SegmentMap.h"
#include "net/Validators.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/xattr.h>

namespace vidtrawl::net {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using Slot = PartialFile::Slot;

std::string Why(const std::optional<base::Fault> &fault) {
  return fault ? fault->detail : "no fault";
}
// What a claim of `target` for `source` gets: "offset N", or why it cannot be had.
std::string Claimed(const std::string &target, const std::string &source) {
  base::Outcome<PartialFile> file = PartialFile::Claim(target, source);
  return file.Done() ? "offset " + std::to_string(file.Value().Offset()) : file.Failure().detail;
}
class PartialFileTest : public ::testing::Test {
protected:
  testing::TempDir dir;
  const std::string target = (dir / "v.mp4").string(), part = target + PartialFile::kSuffix;
};

// A claim by "a" goes on from bytes of a known version of "a" and starts over without one; the
// bytes of another address, or of a file not the program's, stay and keep the name taken.
TEST_F(PartialFileTest, ItsNotesDecideWhatAClaimDoesWithAnEarlierPartialFile) {
  const std::string notOurs = part + " is in the way and is not a partial download of this program";
  const std::tuple<const char *, const char *, Slot, std::string> cases[] = {
      {nullptr, nullptr, Slot::Resumable, "offset 5"},
      {PartialFile::kVersionMark, nullptr, Slot::Free, "offset 0"},
      {PartialFile::kSourceMark, "b", Slot::Busy,
       part + " holds the partial download of another address"},
      {PartialFile::kMark, nullptr, Slot::Busy, notOurs},
      {PartialFile::kMark, "yes", Slot::Busy, notOurs}};
  for (const auto &[note, value, slot, said] : cases) {
    SCOPED_TRACE(said);
    fs::remove(part);
    base::Outcome<PartialFile> left = PartialFile::Claim(target, "a");
    left.Value().Write("hello", 5);
    left.Value().SetVersion("\"v1\"");
    left.Value().Abandon();
    if (note)
      value ? ::setxattr(part.c_str(), note, value, std::strlen(value), 0)
            : ::removexattr(part.c_str(), note);
    EXPECT_EQ(PartialFile::Probe(target, "a"), slot);
    EXPECT_EQ(Claimed(target, "a"), said);
    EXPECT_EQ(ReadFile(part), slot == Slot::Free ? "" : "hello");
  }
}

// While one download writes a partial file, another of its address neither claims nor removes it.
TEST_F(PartialFileTest, APartialFileBeingWrittenIsNeitherClaimedNorRemoved) {
  base::Outcome<PartialFile> first = PartialFile::Claim(target, "a");
  first.Value().Write("hello", 5);
  EXPECT_EQ(Claimed(target, "a"), part + " is being written by another download");
  PartialFile::Remove(target, "a");
  first.Value().Abandon();
  PartialFile::Remove(target, "b");
  EXPECT_EQ(ReadFile(part), "hello");
  PartialFile::Remove(target, "a");
  EXPECT_FALSE(fs::exists(part));
}

// A disk that takes 1,000 bytes a file: they are kept and counted, the file is not completed, and
// a file made its whole length at once fails before its first byte; each fault says why.
TEST_F(PartialFileTest, AFullDiskKeepsWhatWasReceivedAndSaysWhy) {
  const std::string data = testing::Pattern(5000), other = (dir / "w.mp4").string();
  base::Outcome<PartialFile> file = PartialFile::Claim(target, "a");
  std::optional<base::Fault> room;
  testing::WithFileSizeLimit(1000, [&] {
    file.Value().Write(data.data(), data.size()); // written behind: told at the next call
    file.Value().Flush();
    EXPECT_FALSE(file.Value().Write(data.data(), 1));
    room = PartialFile::Claim(other, "a").Value().Allocate(5000);
  });
  EXPECT_EQ(file.Value().Written(), 1000u);
  EXPECT_EQ(Why(file.Value().Complete()), "cannot write " + part + ": File too large");
  file.Value().Abandon();
  EXPECT_TRUE(ReadFile(part) == data.substr(0, 1000) && !fs::exists(target));
  EXPECT_EQ(Why(room), "cannot make room for " + other + PartialFile::kSuffix + ": File too large");
}

// Bytes are written behind in the order handed in, and a note handed in after them runs only
// once they are in the file; after a failure nothing more is written or noted.
TEST_F(PartialFileTest, BytesAreWrittenBehindInOrderAndNotesComeAfterThem) {
  const std::string data = testing::Pattern(3 << 20);
  base::FileDescriptor fd(::open(part.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  std::string seen;
  {
    WriteBehind behind(fd.Get());
    for (std::size_t at = 0; at < data.size(); at += 16384)
      behind.Put(at, data.data() + at, std::min<std::size_t>(16384, data.size() - at));
    behind.Then([&] { seen = ReadFile(part); });
    behind.Put(0, "X", 1); // after the note: the file's first byte changes last
  }                        // the end writes what waits
  EXPECT_TRUE(seen == data);
  EXPECT_EQ(ReadFile(part), "X" + data.substr(1));

  base::FileDescriptor readOnly(::open(part.c_str(), O_RDONLY | O_CLOEXEC));
  WriteBehind refused(readOnly.Get());
  bool noted = false;
  refused.Put(0, "abc", 3);
  refused.Then([&] { noted = true; });
  refused.Drain();
  EXPECT_EQ(refused.Failure(), EBADF);
  EXPECT_FALSE(noted || refused.Busy());
}

// A writer with kHighWater bytes waiting says to hold back, and says once, from its thread, when
// half of them are written: memory stays bounded, and the one held back is woken. So do
// kMostTasks notes waiting: a kill loses few.
TEST_F(PartialFileTest, AFullWriterHoldsBackUntilHalfIsWritten) {
  base::FileDescriptor fd(::open(part.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  WriteBehind behind(fd.Get());
  std::atomic<int> told = 0;
  behind.TellRoom([&] { ++told; });
  std::promise<void> go;
  behind.Then([ready = go.get_future().share()] { ready.wait(); }); // the writer waits here
  const std::string piece = testing::Pattern(1 << 20);
  for (std::size_t at = 0; at < WriteBehind::kHighWater; at += piece.size()) {
    EXPECT_FALSE(behind.Full()) << at;
    behind.Put(at, piece.data(), piece.size());
  }
  EXPECT_TRUE(behind.Full());
  EXPECT_EQ(told, 0);
  go.set_value();
  behind.Drain();
  EXPECT_EQ(told, 1);
  EXPECT_FALSE(behind.Full());
  EXPECT_EQ(fs::file_size(part), WriteBehind::kHighWater);

  std::promise<void> again;
  behind.Then([ready = again.get_future().share()] { ready.wait(); });
  for (std::size_t task = 1; task < WriteBehind::kMostTasks; ++task) {
    EXPECT_FALSE(behind.Full()) << task;
    behind.Then([] {});
  }
  EXPECT_TRUE(behind.Full());
  again.set_value();
  behind.Drain();
  EXPECT_EQ(told, 2);
  EXPECT_FALSE(behind.Full());
}

// A file is completed by its writer, after its bytes: the loop only hears of it, on a later turn.
// Its notes give way to the completed file's mark; a file discarded once its writer completed it
// goes all the same.
TEST_F(PartialFileTest, ItsWriterCompletesItAndTheLoopHearsOfIt) {
  engine::PollLoop loop;
  base::Outcome<PartialFile> file = PartialFile::Claim(target, "http://a/v");
  const std::string bytes = testing::Pattern(3 << 20);
  for (std::size_t at = 0; at < bytes.size(); at += 16 << 10)
    ASSERT_TRUE(file.Value().Write(bytes.data() + at, 16 << 10));
  int told = 0;
  std::optional<base::Fault> fault{base::Fault{}};
  net::FileCompletion completion(loop, file.Value(), [&](std::optional<base::Fault> outcome) {
    ++told;
    fault = std::move(outcome);
  });
  EXPECT_EQ(told, 0);
  loop.RunUntil([&] { return told > 0; }, std::chrono::seconds(10));
  ASSERT_EQ(told, 1);
  EXPECT_EQ(Why(fault), "no fault");
  EXPECT_FALSE(fs::exists(part));
  EXPECT_EQ(ReadFile(target), bytes);
  EXPECT_EQ(net::CompletedFile::From(target, "http://a/v"), bytes.size());
  EXPECT_LT(::getxattr(target.c_str(), PartialFile::kSourceMark, nullptr, 0), 0);

  const std::string other = (dir / "w.mp4").string();
  base::Outcome<PartialFile> discarded = PartialFile::Claim(other, "http://a/w");
  discarded.Value().Write("hello", 5);
  discarded.Value().BeginComplete();
  discarded.Value().Flush();
  EXPECT_TRUE(fs::exists(other));
  discarded.Value().Discard();
  EXPECT_FALSE(fs::exists(other));
  EXPECT_FALSE(fs::exists(other + PartialFile::kSuffix));
}

// A complete file never takes a name that is taken, nor the name of a file that replaced its own.
TEST_F(PartialFileTest, ACompleteFileTakesOnlyAFreeName) {
  base::Outcome<PartialFile> replaced = PartialFile::Claim(target, "a");
  fs::remove(part);
  testing::WriteFile(part, "not ours");
  EXPECT_EQ(Why(replaced.Value().Complete()),
            part + " was removed or replaced while it was written");
  EXPECT_EQ(ReadFile(part), "not ours");
  base::Outcome<PartialFile> file = PartialFile::Claim((dir / "w.mp4").string(), "http://a/v");
  file.Value().Write("hello", 5);
  file.Value().Retarget(part, "clip.mp4"); // a name taken
  ASSERT_EQ(file.Value().Complete(), std::nullopt);
  EXPECT_EQ(file.Value().Target(), (dir / "clip (2).mp4").string());
}

// A segment map is read back only when its segments follow one another and cover the file.
TEST(SegmentMap, IsReadOnlyWhenItCoversTheFileExactly) {
  const std::pair<std::string, bool> cases[] = {
      {"0-100:0", true},          {"0-40:40,40-100:10", true}, {"", false},
      {"0-40:0", false},          {"0-40:0,30-100:0", false},  {"0-40:0,50-100:0", false},
      {"40-100:0,0-40:0", false}, {"0-120:0", false},          {"0-40:41,40-100:0", false},
      {"0-0:0,0-100:0", false},   {"0:40-100", false},         {"0-100", false}};
  for (const auto &[text, valid] : cases) {
    const std::optional<SegmentMap> map = SegmentMap::Read(text, 100);
    EXPECT_EQ(map ? map->Text() : "none", valid ? text : "none");
  }
}

// What is left is split into at most so many segments of at least so many bytes; the one with the
// most left gives half of it to a new segment while that half is large enough.
TEST(SegmentMap, SplitsWhatIsLeftIntoSegments) {
  EXPECT_EQ(SegmentMap::Split(1000, 100, 4, 100).Text(),
            "0-100:100,100-325:0,325-550:0,550-775:0,775-1000:0");
  SegmentMap map = *SegmentMap::Read("0-100:100,100-1000:100", 1000);
  EXPECT_EQ(map.SplitLargest(400), 2u);
  EXPECT_EQ(map.SplitLargest(201), std::nullopt);
  EXPECT_EQ(map.SplitLargest(200), 3u);
  EXPECT_EQ(map.Text(), "0-100:100,100-400:100,400-600:0,600-1000:0");
}

// Which part a Content-Range names ("-" for none), and which bodies are web pages, not videos.
TEST(Validators, ReadWhatTheServerSaysOfItsFile) {
  std::string ranges;
  for (const char *value :
       {" bytes 0-99/100", "BYTES 5-9/*\r", "bytes */8000", "bytes */*", "bytes 9-5/100",
        "bytes 0-100/100", "bytes 0-99", "bytes 5/100", "items 0-1/2", "bytes 0-1/x"}) {
    const std::optional<ContentRange> r = ReadContentRange(value);
    ranges += !r ? "- "
                 : (r->first ? std::to_string(*r->first) + "-" + std::to_string(r->last) : "*") +
                       "/" + (r->length ? std::to_string(*r->length) : "*") + " ";
  }
  EXPECT_EQ(ranges, "0-99/100 5-9/* */8000 - - - - - - - ");
  const std::tuple<std::string, std::string, bool> bodies[] = {
      {" Application/XHTML+XML", "", true},
      {"video/mp4", "\xEF\xBB\xBF \r\n<!DOCTYPE html>", true},
      {"", "\t<HTML lang=en>", true},
      {"text/htmlx", "<?xml version", false}};
  for (const auto &[type, start, page] : bodies)
    EXPECT_EQ(IsWebPageBody(type, start), page) << type << start;
}

} // namespace
} // namespace vidtrawl::net
