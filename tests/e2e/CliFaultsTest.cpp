// vidtrawl-cli against servers that answer badly, send hostile names, stall or stop half-way, a
// full disk, a file-size limit, a read-only folder and a full list: each row is one run, with the
// items, files and message it must leave and nothing written beside the download folder.
#include "e2e/ChildProcess.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// A video of the server: the header request's answer (200 with these headers) and the transfer's
// whole answer. Each gets a page in AngryAlien's format that names it as it stands, so that a path
// without an extension leaves the name to the server.
struct Video {
  std::string path{};
  std::string headHeaders{};
  std::string get{};
  bool stall = false; // after the answer, silence
  std::string headStatus = "HTTP/1.1 200 OK";
};

struct Expected {
  std::string fileName{}, status{}, size{};
};

enum class Disk { Plain, SizeLimit, Full, ReadOnly };

struct FaultCase {
  const char *name = "";
  std::vector<Video> videos{};
  std::map<std::string, std::string> before{}; // files in the folder before the run
  Disk disk = Disk::Plain;
  std::string timeout{}; // VIDTRAWL_TIMEOUT
  std::vector<Expected> items{};
  std::map<std::string, std::optional<std::string>> after{}; // nothing: no such file
  std::string err{};                                         // a text stderr must hold
};

std::string Ok(const std::string &headers, const std::string &body = "") {
  return RawResponse("HTTP/1.1 200 OK", headers, body);
}
std::string Length(std::size_t size) {
  return "Content-Length: " + std::to_string(size) + "\r\n";
}
std::string Named(const std::string &name, std::size_t size = 5000) {
  return Length(size) + "Content-Disposition: attachment; filename=\"" + name + "\"\r\n";
}
std::string Padding(std::size_t bytes) {
  std::string lines;
  for (int n = 0; lines.size() < bytes; ++n)
    lines += "X-Padding-" + std::to_string(n) + ": " + std::string(60, 'p') + "\r\n";
  return lines;
}
RawServer::Reply Answer(const std::vector<Video> &videos, const std::string &request) {
  const std::size_t space = request.find(' ');
  const bool head = request.rfind("HEAD ", 0) == 0;
  const std::string path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
  if (path.rfind("/page/", 0) == 0)
    return {Ok("", head ? ""
                        : "<embed src=\"http://x.angryalien.com" +
                              videos.at(std::stoul(path.substr(6))).path + "\">")};
  if (path == "/loop") // a redirect to itself, for the header request and the transfer
    return {RawResponse("HTTP/1.1 302 Found", "Location: /loop\r\n")};
  for (const Video &video : videos)
    if (video.path == path)
      return head ? RawServer::Reply{RawResponse(video.headStatus, video.headHeaders)}
                  : RawServer::Reply{video.get, video.stall};
  return {RawResponse("HTTP/1.1 404 Not Found", "")};
}

// The command that runs the program on a disk of the given kind: the download folder is a small
// tmpfs (full, or read-only) of a mount namespace of its own, or the file size is limited.
std::vector<std::string> Wrapped(Disk disk, const fs::path &folder) {
  const std::string mount = "mount -t tmpfs -o " +
                            std::string(disk == Disk::Full ? "size=64k" : "ro,size=64k") +
                            " tmpfs \"$0\" && exec \"$@\"";
  switch (disk) {
  case Disk::SizeLimit:
    return {"/usr/bin/prlimit", "--fsize=20000"};
  case Disk::Full:
  case Disk::ReadOnly:
    return {"/usr/bin/unshare", "--mount", "--", "/bin/sh", "-c", mount, folder.string()};
  case Disk::Plain:
    break;
  }
  return {};
}

bool CanMountTmpfs() {
  return std::system("unshare --mount -- sh -c 'mount -t tmpfs tmpfs /mnt' >/dev/null 2>&1") == 0;
}

class CliFaultsTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CliFaultsTest, LeavesTheRightItemsFilesAndMessage) {
  const FaultCase &c = GetParam();
  if ((c.disk == Disk::Full || c.disk == Disk::ReadOnly) && !CanMountTmpfs())
    GTEST_SKIP() << "a tmpfs of its own needs root and a mount namespace";
  RawServer server([&c](const std::string &request) { return Answer(c.videos, request); });
  TempDir home, jail;
  const fs::path downloads = jail / "videos";
  fs::create_directories(downloads);
  for (const auto &[name, content] : c.before)
    WriteFile(downloads / name, content);

  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  if (!c.timeout.empty())
    env["VIDTRAWL_TIMEOUT"] = c.timeout;
  std::vector<std::string> args = Wrapped(c.disk, downloads);
  args.insert(args.end(), {CliBinary().string(), "--tsv", "-d", downloads.string()});
  for (std::size_t n = 0; n < c.videos.size(); ++n)
    args.push_back("http://www.angryalien.com/page/" + std::to_string(n));
  const fs::path program = args.front();
  args.erase(args.begin());
  const ChildProcess::Result result = ChildProcess(program, args, env).Wait();

  bool allComplete = true;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), c.items.size()) << result.out << result.err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto fields = Fields(lines[i] + "\t"); // an empty size is a field too
    ASSERT_EQ(fields.size(), 5u) << lines[i];
    const Expected &item = c.items[i];
    EXPECT_EQ(fields[2], item.fileName);
    EXPECT_EQ(fields[3], item.status);
    EXPECT_EQ(fields[4], item.size);
    allComplete = allComplete && item.status == "Complete";
  }
  EXPECT_EQ(result.exitCode, allComplete ? 0 : 1) << result.err;
  EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  for (const auto &[name, content] : c.after) {
    EXPECT_EQ(fs::exists(downloads / name) ? std::optional(ReadFile(downloads / name))
                                           : std::nullopt,
              content)
        << name;
  }
  // Nothing beside the download folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(jail.path()), {}), 1);
}

const std::string kBody = Pattern(5000);
const std::string kStored = "4.9 KB";

INSTANTIATE_TEST_SUITE_P(
    Faults, CliFaultsTest,
    ::testing::Values(
        FaultCase{.name = "ADroppedConnectionKeepsTheEarlierFileAndThePartialBytes",
                  .videos = {{"/clip.flv", Length(5000), Ok(Length(5000), kBody.substr(0, 3000))}},
                  .before = {{"clip.flv", "earlier"}},
                  .items = {{"clip (2).flv", "ERROR", kStored}},
                  .after = {{"clip.flv", "earlier"},
                            {"clip (2).flv.vidtrawl-part", kBody.substr(0, 3000)}},
                  .err = "vidtrawl-cli: clip (2).flv: "},
        FaultCase{.name = "FilesThatWereThereAndNamesLikePartialOnesAreNoOnesToReplace",
                  .videos = {{"/clip.flv", Length(5000), Ok(Length(5000), kBody)},
                             {"/x", Named("X.part"), Ok(Length(5000), Pattern(5000, 2))},
                             {"/y", Named("X"), Ok(Length(5000), Pattern(5000, 3))},
                             {"/video.mp4", Length(5000), Ok(Length(5000), kBody)}},
                  .before = {{"clip.flv.part", "a browser's"}, {"video.mp4", "another video"}},
                  .items = {{"clip.flv", "Complete", kStored},
                            {"X.part", "Complete", kStored},
                            {"X", "Complete", kStored},
                            {"video (2).mp4", "Complete", kStored}},
                  .after = {{"clip.flv.part", "a browser's"},
                            {"clip.flv", kBody},
                            {"X.part", Pattern(5000, 2)},
                            {"X", Pattern(5000, 3)},
                            {"video.mp4", "another video"},
                            {"video (2).mp4", kBody}}},
        FaultCase{.name = "AFileTheServerDoesNotHaveIsNotReceived",
                  .videos = {{"/clip.flv", "", Ok(Length(10), "error page"), false,
                              "HTTP/1.0 404 Not Found"}},
                  .before = {{"clip.flv", "mine"}},
                  .items = {{"clip.flv", "ERROR", "-1 Bytes"}},
                  .after = {{"clip.flv", "mine"}, {"clip (2).flv", std::nullopt}},
                  .err = "vidtrawl-cli: clip.flv: the server reported no such file"},
        FaultCase{
            .name = "OnlyAWholeAnswerIsAFile",
            .videos = {{"/a.flv", Length(5000), RawResponse("HTTP/1.1 204 No Content", "")},
                       {"/b.flv", Length(5000), RawResponse("HTTP/1.1 304 Not Modified", "")},
                       {"/c.flv", Length(5000),
                        RawResponse("HTTP/1.1 302 Found", Length(9), "moved on")},
                       {"/d.flv", Length(5000),
                        RawResponse("HTTP/1.1 206 Partial Content",
                                    Length(2500) + "Content-Range: bytes 0-2499/5000\r\n",
                                    kBody.substr(0, 2500))}},
            .items = {{"a.flv", "ERROR", kStored},
                      {"b.flv", "ERROR", kStored},
                      {"c.flv", "ERROR", kStored},
                      {"d.flv", "ERROR", kStored}},
            .after = {{"a.flv", std::nullopt}, {"c.flv", std::nullopt}, {"d.flv", std::nullopt}},
            .err = "d.flv: the server answered 206 (part of the file) when all of it was asked"},
        FaultCase{.name = "ASizeOfATebibyteIsOnlyASize",
                  .videos = {{"/clip.flv", Length(1099511627776), Ok(Length(5000), kBody)}},
                  .items = {{"clip.flv", "Complete", kStored}},
                  .after = {{"clip.flv", kBody}}},
        FaultCase{
            .name = "AStallingServerIsGivenUpOnWithinTheTimeLimit",
            .videos = {{"/clip.flv", Length(5000), Ok(Length(5000), kBody.substr(0, 3000)), true}},
            .timeout = "0.5",
            .items = {{"clip.flv", "ERROR", kStored}},
            .after = {{"clip.flv", std::nullopt}},
            .err = "vidtrawl-cli: clip.flv: "},
        FaultCase{.name = "ABodyShorterThanTheHeaderRequestSaidIsAnError",
                  .videos = {{"/clip.flv", Length(100000), Ok("", Pattern(40000))}},
                  .items = {{"clip.flv", "ERROR", "97.7 KB"}},
                  .after = {{"clip.flv", std::nullopt}},
                  .err = "vidtrawl-cli: clip.flv: the body ended after 40000 of 100000 bytes"},
        FaultCase{
            .name = "HostileNamesStayInTheFolderAndInSight",
            .videos = {{"/get", Named("../../x.flv"), Ok(Length(5000), kBody)},
                       {"/g2", Named(".."), Ok(Length(5000), kBody)},
                       {"/g3", Named(".bashrc"), Ok(Length(5000), kBody)},
                       {"/g4",
                        Named("a\x01"
                              "b\x1b[2Jc.flv"),
                        Ok(Length(5000), kBody)},
                       {"/g5", Named(std::string(10000, 'a') + ".flv"), Ok(Length(5000), kBody)},
                       {"/g6", Named("\xff\xfe.flv"), Ok(Length(5000), kBody)},
                       {"/g7", Named("clip\xe2\x80\xaevlf.exe"), Ok(Length(5000), kBody)}},
            .before = {{".bashrc", "mine"}},
            .items = {{"x.flv", "Complete", kStored},
                      {"Enter File Name", "Complete", kStored},
                      {"bashrc", "Complete", kStored},
                      {"ab[2Jc.flv", "Complete", kStored},
                      {std::string(96, 'a') + ".flv", "Complete", kStored},
                      {"\xef\xbf\xbd\xef\xbf\xbd.flv", "Complete", kStored},
                      {"clipvlf.exe", "Complete", kStored}},
            .after = {{".bashrc", "mine"}, {"x.flv", kBody}, {"\xff\xfe.flv", kBody}}},
        FaultCase{.name = "HeaderBlocksOf3KiBAndBeyond64KiB",
                  .videos = {{"/a.flv", Padding(3000) + Length(5000), Ok(Length(5000), kBody)},
                             {"/b.flv", Padding(70000) + Length(5000), Ok(Length(5000), kBody)}},
                  .items = {{"a.flv", "Complete", kStored}, {"b.flv", "ERROR", "-1 Bytes"}}},
        FaultCase{.name = "ARedirectLoopEndsAsAnError",
                  .videos = {{"/loop", "", ""}},
                  .items = {{"loop", "ERROR", "-1 Bytes"}}},
        FaultCase{.name = "AFileSizeLimitFailsOneItemAndThePassGoesOn",
                  .videos = {{"/big.flv", Length(100000), Ok(Length(100000), Pattern(100000))},
                             {"/small.flv", Length(5000), Ok(Length(5000), kBody)}},
                  .disk = Disk::SizeLimit,
                  .items = {{"big.flv", "ERROR", "97.7 KB"}, {"small.flv", "Complete", kStored}},
                  .after = {{"big.flv", std::nullopt}, {"small.flv", kBody}},
                  .err = "vidtrawl-cli: big.flv: cannot write "},
        FaultCase{.name = "AFullDiskFailsTheItem",
                  .videos = {{"/big.flv", Length(200000), Ok(Length(200000), Pattern(200000))}},
                  .disk = Disk::Full,
                  .items = {{"big.flv", "ERROR", "195.3 KB"}},
                  .err = "No space left on device"},
        FaultCase{.name = "AReadOnlyFolderFailsTheItem",
                  .videos = {{"/clip.flv", Length(5000), Ok(Length(5000), kBody)}},
                  .disk = Disk::ReadOnly,
                  .items = {{"clip.flv", "ERROR", kStored}},
                  .err = "Read-only file system"}),
    [](const auto &info) { return std::string(info.param.name); });

// The list holds 32,767 items: one address more is not added, and the
// user is told; one listed already is no address lost.
TEST(CliFullList, OneAddressBeyondTheCapacityIsToldNotLost) {
  TempDir home, downloads;
  std::string addresses;
  for (int n = 0; n <= 32767; ++n)
    addresses += "ftp://www.example.org/" + std::to_string(n) + "\n";
  addresses += "ftp://www.example.org/5\n";
  WriteFile(home / "urls.txt", addresses);
  const ChildProcess::Result result =
      RunCli({"-q", "--tsv", "-d", downloads.path().string(), "-i", (home / "urls.txt").string()},
             CliEnvironment(home.path()));
  EXPECT_EQ(result.exitCode, 1);
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 32767u);
  EXPECT_EQ(Fields(lines.back())[1], "ftp://www.example.org/32766");
  EXPECT_EQ(Fields(lines.back())[3], "ERROR");
  EXPECT_NE(result.err.find("The download list is full (32767 items): 1 address was not added."),
            std::string::npos)
      << result.err;
}

// Two copies of the program saving one name at once, the first one's body held half-way until
// the second asked: the second sees the first's file in the way and takes the next name; each
// file holds one whole body, written by the copy that names it.
TEST(CliTwoCopies, NeitherCompletesWithBytesItDidNotWrite) {
  constexpr std::size_t kSize = 400000;
  std::mutex mutex;
  std::condition_variable changed;
  int gets = 0;
  const auto got = [&](int count) { return [&gets, count] { return gets >= count; }; };
  httplib::Server server; // after what its handlers use: it stops first
  server.Get("/page", [](const httplib::Request &, httplib::Response &response) {
    response.set_content("so.addVariable(\"file\",\"http://x.putfile.com/clip.flv\");",
                         "text/html");
  });
  server.Get("/clip.flv", [&](const httplib::Request &request, httplib::Response &response) {
    if (request.method == "HEAD")
      return response.set_content(std::string(kSize, 'h'), "video/x-flv"); // its length only
    std::unique_lock<std::mutex> lock(mutex);
    const unsigned number = static_cast<unsigned>(++gets);
    changed.notify_all();
    lock.unlock();
    response.set_content_provider(
        kSize, "video/x-flv",
        [&, number](std::size_t offset, std::size_t, httplib::DataSink &sink) {
          if (number == 1 && offset == kSize / 2) {
            std::unique_lock<std::mutex> held(mutex);
            changed.wait_for(held, std::chrono::seconds(10), got(2));
            held.unlock(); // the second copy's body flows while the first's waits
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
          }
          return sink.write(Pattern(kSize, number).data() + offset, kSize / 2);
        });
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { server.listen_after_bind(); });
  TempDir home, downloads;
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(port);
  const std::vector<std::string> args = {"--tsv", "-qd" + downloads.path().string(),
                                         "http://media.putfile.com/page"};
  ChildProcess first(CliBinary(), args, env);
  {
    std::unique_lock<std::mutex> lock(mutex);
    EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), got(1)));
  }
  ChildProcess second(CliBinary(), args, env);
  const ChildProcess::Result results[] = {first.Wait(), second.Wait()};
  for (unsigned copy : {1u, 2u}) {
    const auto lines = Lines(results[copy - 1].out);
    ASSERT_EQ(lines.size(), 1u) << results[copy - 1].err;
    const auto fields = Fields(lines[0]);
    EXPECT_EQ(fields[2] + " " + fields[3],
              copy == 1 ? "clip.flv Complete" : "clip (2).flv Complete");
    EXPECT_TRUE(ReadFile(downloads / fields[2]) == Pattern(kSize, copy)) << "copy " << copy;
  }
  server.stop();
  serving.join();
}

} // namespace
} // namespace vidtrawl::testing
