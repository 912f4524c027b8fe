// What vidtrawl-cli makes of servers that answer badly, send odd names or
// stop half-way, and of a file-size limit: each row is one such run and the
// files and lines it must leave.
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// One page (AngryAlien's format: the video's address as it stands, so that
// an address without an extension leaves the name to the server) per
// video, in list order.
struct Video {
  std::string path;        // of the video on the server
  std::string headHeaders; // the header request's answer: 200 with these
  std::string get;         // the whole answer to the transfer
};

struct Expected {
  std::string fileName, status, size;
};

struct FaultCase {
  const char *name;
  std::vector<Video> videos;
  std::map<std::string, std::string> before; // files in the folder before the run
  long fileSizeLimit;                        // bytes (ulimit -f); 0: none
  std::vector<Expected> items;
  std::map<std::string, std::optional<std::string>> after; // nothing: no such file
  std::string err;                                         // a line stderr must hold
};

std::string Ok(const std::string &headers, const std::string &body) {
  return RawResponse("HTTP/1.1 200 OK", headers, body);
}

std::string Length(std::size_t size) {
  return "Content-Length: " + std::to_string(size) + "\r\n";
}

std::string Accents(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "\xc3\xa9";
  return text;
}

RawServer::Reply Answer(const std::vector<Video> &videos, const std::string &request) {
  const std::size_t space = request.find(' ');
  const std::string method = request.substr(0, space);
  const std::string path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
  if (path.rfind("/page/", 0) == 0) {
    const std::size_t n = std::stoul(path.substr(6));
    return RawServer::Reply{Ok("", method == "HEAD" ? ""
                                                    : "<embed src=\"http://x.angryalien.com" +
                                                          videos.at(n).path + "\">")};
  }
  for (const Video &video : videos)
    if (video.path == path)
      return RawServer::Reply{method == "HEAD" ? Ok(video.headHeaders, "") : video.get};
  return RawServer::Reply{RawResponse("HTTP/1.1 404 Not Found", "")};
}

class CliTransferFaultsTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CliTransferFaultsTest, LeavesTheRightFilesAndLines) {
  const FaultCase &c = GetParam();
  RawServer server([&c](const std::string &request) { return Answer(c.videos, request); });
  TempDir home, downloads;
  for (const auto &[name, content] : c.before)
    WriteFile(downloads / name, content);
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  std::vector<std::string> args = {"--tsv", "-d", downloads.path().string()};
  for (std::size_t n = 0; n < c.videos.size(); ++n)
    args.push_back("http://www.angryalien.com/page/" + std::to_string(n));
  fs::path program = CliBinary();
  if (c.fileSizeLimit > 0) {
    if (!fs::exists("/usr/bin/prlimit"))
      GTEST_SKIP() << "prlimit is not installed";
    args.insert(args.begin(), {"--fsize=" + std::to_string(c.fileSizeLimit), program.string()});
    program = "/usr/bin/prlimit";
  }
  ChildProcess child(program, args, env);
  const ChildProcess::Result result = child.Wait(std::chrono::seconds(60));

  bool allComplete = true;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), c.items.size()) << result.out << result.err;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto fields = Fields(lines[i]);
    const Expected &item = c.items[i];
    EXPECT_EQ(fields[2], item.fileName);
    EXPECT_EQ(fields[3], item.status);
    EXPECT_EQ(fields[4], item.size);
    allComplete = allComplete && item.status == "Complete";
    // The table on stderr names the same size as the TSV.
    bool inTable = false;
    for (const std::string &row : Lines(result.err))
      inTable = inTable || (row.find("  " + item.status + "  ") != std::string::npos &&
                            row.find(item.fileName) != std::string::npos &&
                            row.find("  " + item.size + "  ") != std::string::npos);
    EXPECT_TRUE(inTable) << item.fileName << "\n" << result.err;
  }
  EXPECT_EQ(result.exitCode, allComplete ? 0 : 1) << result.err;
  for (const auto &[name, content] : c.after)
    EXPECT_EQ(fs::exists(downloads / name) ? std::optional(ReadFile(downloads / name))
                                           : std::nullopt,
              content)
        << name;
  EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
}

const std::string kBody = Pattern(5000);

INSTANTIATE_TEST_SUITE_P(
    Faults, CliTransferFaultsTest,
    ::testing::Values(
        FaultCase{"NotFoundKeepsTheEarlierFile",
                  {{"/clip.flv", Length(5000), RawResponse("HTTP/1.1 404 Not Found", "")}},
                  {{"clip.flv", "earlier"}},
                  0,
                  {{"clip.flv", "ERROR", "4.9 KB"}},
                  {{"clip.flv", "earlier"}, {"clip.flv.part", std::nullopt}},
                  "vidtrawl-cli: clip.flv: the server answered 404"},
        FaultCase{"ADroppedConnectionKeepsTheEarlierFileAndThePartialBytes",
                  {{"/clip.flv", Length(5000), Ok(Length(5000), kBody.substr(0, 3000))}},
                  {{"clip.flv", "earlier"}},
                  0,
                  {{"clip.flv", "ERROR", "4.9 KB"}},
                  {{"clip.flv", "earlier"}, {"clip.flv.part", kBody.substr(0, 3000)}},
                  "vidtrawl-cli: clip.flv: "},
        FaultCase{"ABodyShorterThanTheHeaderRequestSaidIsAnError",
                  {{"/clip.flv", Length(100000), Ok("", Pattern(40000))}},
                  {},
                  0,
                  {{"clip.flv", "ERROR", "97.7 KB"}},
                  {{"clip.flv", std::nullopt}},
                  "vidtrawl-cli: clip.flv: the body ended after 40000 of 100000 bytes"},
        FaultCase{"AnEmptyBodyAfterAnnouncedBytesIsAnError",
                  {{"/clip.flv", Length(100000), Ok(Length(0), "")}},
                  {},
                  0,
                  {{"clip.flv", "ERROR", "97.7 KB"}},
                  {{"clip.flv", std::nullopt}},
                  "the body ended after 0 of 100000 bytes"},
        FaultCase{"TwoItemsOfOneNameGetTwoFiles",
                  {{"/a/clip.flv", Length(5000), Ok(Length(5000), kBody)},
                   {"/b/clip.flv", Length(3000), Ok(Length(3000), Pattern(3000, 2))}},
                  {},
                  0,
                  {{"clip.flv", "Complete", "4.9 KB"}, {"clip (2).flv", "Complete", "2.9 KB"}},
                  {{"clip.flv", kBody}, {"clip (2).flv", Pattern(3000, 2)}},
                  ""},
        FaultCase{
            "AServerCannotNameAHiddenFile",
            {{"/get", Length(5000) + "Content-Disposition: attachment; filename=\".bashrc\"\r\n",
              Ok(Length(5000), kBody)}},
            {{".bashrc", "mine"}},
            0,
            {{"bashrc", "Complete", "4.9 KB"}},
            {{".bashrc", "mine"}, {"bashrc", kBody}},
            ""},
        FaultCase{"AHeaderNameInsideAnotherIsNotIt",
                  {{"/clip.flv", "X-Orig-Content-Length: 99999999\r\n" + Length(5000),
                    Ok(Length(5000), kBody)}},
                  {},
                  0,
                  {{"clip.flv", "Complete", "4.9 KB"}},
                  {{"clip.flv", kBody}},
                  ""},
        FaultCase{"ALongQuotedUtf8NameKeepsItsExtension",
                  {{"/get",
                    Length(5000) + "Content-Disposition: attachment; filename=\"" + Accents(95) +
                        ".flv\"; size=1000\r\n",
                    Ok(Length(5000), kBody)}},
                  {},
                  0,
                  {{Accents(48) + ".flv", "Complete", "4.9 KB"}},
                  {{Accents(48) + ".flv", kBody}},
                  ""},
        FaultCase{"AFileSizeLimitFailsOneItemAndThePassGoesOn",
                  {{"/big.flv", Length(100000), Ok(Length(100000), Pattern(100000))},
                   {"/small.flv", Length(5000), Ok(Length(5000), kBody)}},
                  {},
                  20000,
                  {{"big.flv", "ERROR", "97.7 KB"}, {"small.flv", "Complete", "4.9 KB"}},
                  {{"big.flv", std::nullopt}, {"small.flv", kBody}},
                  "vidtrawl-cli: big.flv: cannot write "}),
    [](const auto &info) { return std::string(info.param.name); });

// Two copies of the program saving one name at once: the file holds one
// whole body, and a copy that says Complete wrote that body.
TEST(CliTwoCopies, NeitherCompletesWithBytesItDidNotWrite) {
  constexpr std::size_t kSize = 400000;
  LocalServer server;
  std::mutex mutex;
  std::condition_variable changed;
  int gets = 0;
  server.server().Get("/page", [](const httplib::Request &, httplib::Response &response) {
    response.set_content("so.addVariable(\"file\",\"http://x.putfile.com/clip.flv\");",
                         "text/html");
  });
  server.server().Get(
      "/clip.flv", [&](const httplib::Request &request, httplib::Response &response) {
        if (request.method == "HEAD") {
          response.set_content(std::string(kSize, 'h'), "video/x-flv"); // its length only
          return;
        }
        int number = 0;
        {
          const std::lock_guard<std::mutex> lock(mutex);
          number = ++gets;
        }
        changed.notify_all();
        // The first copy's body is held half-way until the second copy asked.
        response.set_content_provider(
            kSize, "video/x-flv",
            [&, number](std::size_t offset, std::size_t, httplib::DataSink &sink) {
              if (number == 1 && offset == kSize / 2) {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait_for(lock, std::chrono::seconds(10), [&] { return gets >= 2; });
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
              }
              const std::string body = Pattern(kSize, static_cast<unsigned>(number));
              return sink.write(body.data() + offset, kSize / 2);
            });
      });
  server.Start();
  TempDir home, downloads;
  auto env = CliEnvironment(home.path());
  env["VIDTRAWL_CONNECT_TO"] = "::127.0.0.1:" + std::to_string(server.port());
  const std::vector<std::string> args = {"--tsv", "-q", "-d", downloads.path().string(),
                                         "http://media.putfile.com/page"};
  ChildProcess first(CliBinary(), args, env);
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(20), [&] { return gets >= 1; }));
  }
  ChildProcess second(CliBinary(), args, env);
  const ChildProcess::Result results[] = {first.Wait(), second.Wait()};

  const std::string file = ReadFile(downloads / "clip.flv");
  int complete = 0;
  for (unsigned copy = 1; copy <= 2; ++copy) {
    const auto lines = Lines(results[copy - 1].out);
    ASSERT_EQ(lines.size(), 1u) << results[copy - 1].err;
    if (Fields(lines[0])[3] != "Complete")
      continue;
    ++complete;
    EXPECT_TRUE(file == Pattern(kSize, copy)) << "copy " << copy << " completed another's bytes";
  }
  EXPECT_GE(complete, 1);
}

} // namespace
} // namespace vidtrawl::testing
