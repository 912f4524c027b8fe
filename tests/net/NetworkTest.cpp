// The three network operations against servers on loopback (raw scripted ones, nginx): what each
// request sends, each way each one ends, and the files a transfer leaves.
#include "net/Download.h"
#include "net/FileInfoRequest.h"
#include "net/FileTransfer.h"
#include "net/PageFetch.h"

#include "support/LoopRun.h"
#include "support/Nginx.h"
#include "support/RawServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <list>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include <sys/mount.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vidtrawl::net {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using base::FaultKind;
using testing::Pattern;
using testing::RawResponse;
using testing::RawServer;
using testing::ReadFile;
using testing::WriteFile;

std::string Ok(const std::string &headers, const std::string &body = "") {
  return RawResponse("HTTP/1.1 200 OK", headers, body);
}
std::string Length(long size) {
  return size < 0 ? "" : "Content-Length: " + std::to_string(size) + "\r\n";
}
bool IsHead(const std::string &request) {
  return request.rfind("HEAD ", 0) == 0;
}

// /r/MODE: a file of 20,000 bytes, the version "v1" (Pattern 1), or "v2" (Pattern 2) for the modes
// of a file that changed. Asked for a part, MODE answers as its server would: "honest" honours
// Range and If-Range; "whole" sends no parts; "ignores" sends the part asked for whatever If-Range
// says; "portal" redirects to a login page; "short" sends 1,000 bytes of each part, "tiny" 100,
// "empty" none, "span" 1,000 under a range to the end; "gzip" sends the part gzipped; "416"
// refuses every part as beyond a file of 8,000 bytes; "bare" sends parts without validators;
// "weak" names its version by a weak ETag; "aged" by a Last-Modified date an hour before its
// answers' Date, "dated" by one of the second of its Date (a file that may change within it, as
// the server says nothing then); "expired" answers a GET with JSON (an expired token), "emptied"
// with an empty 200.
RawServer::Reply Resuming(const std::string &mode, const std::string &request) {
  const bool changed = mode.find("changed") != std::string::npos;
  const std::string body = Pattern(20000, changed ? 2 : 1), version = changed ? "v2" : "v1";
  const std::string date = "Date: Mon, 07 Dec 2026 10:00:00 GMT\r\n";
  const std::string validators =
      mode == "bare"    ? ""
      : mode == "weak"  ? "ETag: W/\"v1\"\r\nLast-Modified: then\r\n"
      : mode == "aged"  ? date + "Last-Modified: Mon, 07 Dec 2026 09:00:00 GMT\r\n"
      : mode == "dated" ? date + "Last-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n"
                        : "ETag: \"" + version + "\"\r\n";
  if (mode == "portal" && request.rfind("GET /r/portal ", 0) == 0)
    return {RawResponse("HTTP/1.1 302 Found", "Location: /login\r\n")};
  if ((mode == "expired" || mode == "emptied") && !IsHead(request))
    return {Ok(mode == "expired" ? "Content-Type: application/json\r\n" + Length(25) : Length(0),
               mode == "expired" ? "{\"error\":\"token expired\"}" : "")};
  const std::size_t at = request.find("\r\nRange: bytes=");
  const std::size_t from = at == std::string::npos ? 0 : std::stoul(request.substr(at + 15));
  const bool honoured =
      request.find("\r\nIf-Range: \"" + version + "\"\r\n") != std::string::npos ||
      request.find("\r\nIf-Range: Mon, 07 Dec 2026") != std::string::npos;
  const bool part =
      from > 0 && mode != "whole" &&
      (honoured || mode.find("ignores") != std::string::npos || mode == "short" || mode == "bare");
  if (from > 0 && mode == "416")
    return {RawResponse("HTTP/1.1 416 Range Not Satisfiable", "Content-Range: bytes */8000\r\n")};
  if (!part)
    return {Ok(validators + Length(20000), IsHead(request) ? "" : body)};
  const std::size_t to = mode == "short"  ? std::min<std::size_t>(from + 1000, 20000)
                         : mode == "tiny" ? from + 100
                                          : 20000;
  const std::size_t sent = mode == "empty" ? 0 : mode == "span" ? 1000 : to - from;
  return {RawResponse("HTTP/1.1 206 Partial Content",
                      validators + (mode == "gzip" ? "Content-Encoding: gzip\r\n" : "") +
                          "Content-Range: bytes " + std::to_string(from) + "-" +
                          std::to_string(to - 1) + "/20000\r\n" + Length(static_cast<long>(sent)),
                      body.substr(from, sent))};
}

// /s/MODE: a file of 4 MiB ("small": 2 MiB less a byte, "two": 2 MiB), version "v1" ("bare":
// none), its length said ("open": not on a whole answer), for a download over several connections.
// Asked for a range, "honest" sends it; "longer" all from its start on, "first" from the file's;
// "total" gives another length of the file; "whole" sends the whole file; "changed" sends parts
// after the first of version "v2"; once each, "cut" drops the connection 300,000 bytes into the
// part from 2 MiB on, "fail" answers that part 503 (the other parts held until it was sent),
// "page" answers the first with a login page.
std::size_t SegmentedSize(const std::string &mode) {
  return mode == "small" ? (2 << 20) - 1 : mode == "two" ? 2 << 20 : 4 << 20;
}
RawServer::Reply Segmented(const std::string &mode, const std::string &request) {
  static std::mutex mutex;
  static std::set<std::string> misbehaved;
  const auto once = [&](bool when) {
    const std::lock_guard<std::mutex> lock(mutex);
    return when && misbehaved.insert(mode).second;
  };
  const std::size_t size = SegmentedSize(mode);
  const std::string body = Pattern(size, 3), etag = mode == "bare" ? "" : "ETag: \"v1\"\r\n";
  const std::size_t at = request.find("\r\nRange: bytes=");
  if (at == std::string::npos || mode == "whole")
    return {Ok(etag + Length(mode == "open" ? -1 : static_cast<long>(size)),
               IsHead(request) ? "" : body)};
  const std::size_t from = mode == "first" ? 0 : std::stoul(request.substr(at + 15));
  const std::size_t to =
      mode == "longer" ? size : std::stoul(request.substr(request.find('-', at) + 1)) + 1;
  static const auto failed = std::make_shared<RawServer::Gate>();
  if (once(mode == "fail" && from == 2 << 20)) {
    std::thread([] {
      std::this_thread::sleep_for(300ms);
      failed->open = true;
    }).detach();
    return {RawResponse("HTTP/1.1 503 Busy", Length(0))};
  }
  if (once(mode == "page" && from == 0))
    return {Ok("Content-Type: text/html\r\n", "<!doctype html><form>Sign in</form>")};
  const bool changed = mode == "changed" && from > 0;
  std::string part = (changed ? Pattern(size, 4) : body).substr(from, to - from);
  if (once(mode == "cut" && from == 2 << 20))
    part.resize(300000);
  RawServer::Reply reply{RawResponse("HTTP/1.1 206 Partial Content",
                                     "ETag: \"" + std::string(changed ? "v2" : "v1") +
                                         "\"\r\nContent-Range: bytes " + std::to_string(from) +
                                         "-" + std::to_string(to - 1) + "/" +
                                         std::to_string(mode == "total" ? size + 1 : size) +
                                         "\r\n" + Length(static_cast<long>(to - from)),
                                     part)};
  if (mode == "fail" && from > 0 && !failed->open) {
    reply.gate = failed;
    reply.heldAt = reply.bytes.size() - part.size() + 1000;
  }
  return reply;
}

// /body/N: N bytes with their length; /open/N: without one; /held/N: 1000 of them, then silence;
// /loop and /start redirect (to itself, to /body/3000); /named names its file; with 5 bytes, /nan
// gives a length that is no number, /twice the same length twice, /neg a negative one, /conflict
// two lengths; /huge a header block past its limit; /stall nothing; /closed a closed connection;
// /trickle a header line every 150 ms; /busy/N 503; /gone 410 (HTTP/1.0); all else is missing.
RawServer::Reply Site(const std::string &request) {
  const std::size_t start = request.find(' ') + 1;
  const std::string path = request.substr(start, request.find(' ', start) - start);
  const long n = std::strtol(path.c_str() + path.rfind('/') + 1, nullptr, 10);
  const std::string body = IsHead(request) ? "" : Pattern(static_cast<std::size_t>(n));
  if (path.rfind("/body/", 0) == 0 || path.rfind("/open/", 0) == 0)
    return {Ok(Length(path[1] == 'b' ? n : -1), body)};
  if (path.rfind("/held/", 0) == 0) { // the first 1000 bytes, then nothing more
    RawServer::Reply reply{Ok("", body)};
    reply.gate = std::make_shared<RawServer::Gate>();
    reply.heldAt = reply.bytes.size() - body.size() + 1000;
    return reply;
  }
  if (path == "/loop" || path == "/start")
    return {RawResponse("HTTP/1.1 302 Found",
                        path == "/loop" ? "Location: /loop\r\n" : "Location: /body/3000\r\n")};
  if (path == "/named")
    return {Ok("Content-Type: video/x-flv\r\nContent-Disposition: a; filename=v.flv\r\n"
               "Last-Modified: then\r\nContent-Length: 10\r\n")};
  static const std::map<std::string, std::string> lengths = {
      {"/nan", "12abc"},
      {"/twice", "42, 42"},
      {"/neg", "-5"},
      {"/conflict", "5\r\nContent-Length: 6"}};
  if (lengths.count(path) != 0)
    return {Ok("Content-Length: " + lengths.at(path) + "\r\n", IsHead(request) ? "" : Pattern(5))};
  if (path == "/json") // an expired token's answer
    return {Ok("Content-Type: application/json\r\n" + Length(25), "{\"error\":\"token expired\"}")};
  if (path == "/huge")
    return {Ok(std::string(70000, 'x').insert(0, "X-Pad: ") + "\r\n" + Length(10))};
  if (path == "/trickle") {
    std::string lines = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 20; ++i)
      lines += "X-Line-" + std::to_string(i) + ": slow\r\n";
    return {lines, true, 150ms};
  }
  if (path.rfind("/busy/", 0) == 0) // its wait in seconds, until a date past, or in no form
    return {RawResponse("HTTP/1.1 503 Busy", std::string("Retry-After: ") +
                                                 (n == 1   ? "120"
                                                  : n == 2 ? "Sun, 06 Nov 1994 08:49:37 GMT"
                                                           : "soon") +
                                                 "\r\n" + Length(0))};
  if (path == "/gone")
    return {RawResponse("HTTP/1.0 410 Gone", "")};
  if (path == "/login")
    return {Ok("Content-Type: text/html\r\n", "<!doctype html><form>Sign in to the Wi-Fi</form>")};
  if (path.rfind("/status/", 0) == 0) // a whole answer of another kind than 200
    return {RawResponse("HTTP/1.1 " + std::to_string(n) + " X",
                        Length(5) + (n == 206 ? "Content-Range: bytes 0-4/10\r\n" : ""),
                        IsHead(request) ? "" : Pattern(5))};
  if (path.rfind("/r/", 0) == 0)
    return Resuming(path.substr(3), request);
  if (path.rfind("/s/", 0) == 0)
    return Segmented(path.substr(3), request);
  if (path == "/stall" || path == "/closed")
    return {"", path == "/stall"};
  return {RawResponse("HTTP/1.1 404 Not Found", "", IsHead(request) ? "" : "not found")};
}

class NetworkTest : public ::testing::Test {
protected:
  NetworkTest() { session.SetLimits({2000ms, 400ms, 400ms, 1}); }
  // The request lines the server has seen ("HEAD /body/1").
  std::string Requests() const {
    std::string lines;
    for (const std::string &request : server.Requests())
      lines += (lines.empty() ? "" : ", ") + request.substr(0, request.find(" HTTP/"));
    return lines;
  }

  // Each operation, run on the loop to its end (or until `stop` says so after a turn).
  base::Outcome<std::uint64_t> Transfer(const std::string &url, PartialFile &file,
                                        std::uint64_t expected, const ProgressSink &progress = {},
                                        const std::function<bool()> &stop = {}) {
    return testing::RunToEnd<std::uint64_t>(
        loop,
        [&](FileTransfer::Done done) {
          return std::make_unique<FileTransfer>(session, url, file, ExpectedFile{expected, {}},
                                                progress, std::move(done));
        },
        stop);
  }
  base::Outcome<RemoteFile> Ask(const std::string &url) {
    return testing::RunToEnd<RemoteFile>(loop, [&](FileInfoRequest::Done done) {
      return std::make_unique<FileInfoRequest>(session, url, std::move(done));
    });
  }
  base::Outcome<Page> Fetch(const std::string &url, const ProgressSink &progress = {},
                            const std::function<bool()> &stop = {},
                            std::size_t maxBytes = kMaxPageBytes) {
    return testing::RunToEnd<Page>(
        loop,
        [&](PageFetch::Done done) {
          return std::make_unique<PageFetch>(session, url, progress, std::move(done), maxBytes);
        },
        stop);
  }

  RawServer server{Site};
  testing::TempDir dir;
  engine::PollLoop loop;
  Session session{loop, ConnectionMap{}};
};

// What an outcome says, as one text: "done VALUE", "stopped", or "KIND: detail".
template <typename T> std::string Said(const base::Outcome<T> &outcome) {
  if (outcome.WasStopped())
    return "stopped";
  if (outcome.Failed())
    return std::to_string(static_cast<int>(outcome.Failure().kind)) + ": " +
           outcome.Failure().detail;
  if constexpr (std::is_same_v<T, Page>)
    return "done " + std::to_string(outcome.Value().text.size());
  else
    return "done " + std::to_string(outcome.Value());
}
std::string Kind(FaultKind kind) {
  return std::to_string(static_cast<int>(kind)) + ": ";
}

// Every end of a transfer: its outcome, the file it completes (beside an earlier one of the name,
// which stays), and the partial file (the bytes received; an empty one goes). A stop comes at the
// progress report `stopAt` (0: none); bodies are Pattern(size). A length that is not the body's
// fails the transfer, whatever the server meant by it.
TEST_F(NetworkTest, EachEndOfATransferLeavesItsFileAndPartialFile) {
  const struct {
    std::string path;
    std::uint64_t expected; // what a header request said
    std::string said;
    long complete, part; // the bytes of each file; -1: none
    int stopAt = 0;
  } cases[] = {
      {"/body/0", 0, "done 0", 0, -1},
      {"/body/5000", 0, "done 5000", 5000, -1},
      {"/open/5000", 0, "done 5000", 5000, -1},
      {"/start", 0, "done 3000", 3000, -1},
      {"/held/600000", 0, "stopped", -1, 1000, 1},
      // Answers that are no file of the header request's, whatever their status.
      {"/body/5000", 1ull << 40,
       Kind(FaultKind::ShortBody) + "the server sent 5000 bytes of a file of 1099511627776", -1,
       -1},
      {"/body/0", 16 << 20,
       Kind(FaultKind::ShortBody) + "the server sent an empty answer for a file of 16777216 bytes",
       -1, -1},
      {"/json", 16 << 20,
       Kind(FaultKind::WebPage) + "the server sent application/json, not a video", -1, -1},
      {"/open/4000", 10000, Kind(FaultKind::ShortBody) + "the body ended after 4000 of 10000 bytes",
       -1, 4000},
      {"/status/204", 0, Kind(FaultKind::HttpStatus) + "the server answered 204 (no content)", -1,
       -1},
      {"/status/206", 0, Kind(FaultKind::HttpStatus) + "the server answered 206 (part of", -1, -1},
      {"/status/302", 0,
       Kind(FaultKind::HttpStatus) + "the server answered 302 without a new address", -1, -1},
      {"/status/304", 0, Kind(FaultKind::HttpStatus) + "the server answered 304 (not modified)", -1,
       -1},
      {"/missing", 0, Kind(FaultKind::HttpStatus) + "the server answered 404", -1, -1},
      {"/loop", 0, Kind(FaultKind::Network) + "Maximum (10) redirects followed", -1, -1},
      {"/stall", 0, Kind(FaultKind::Network), -1, -1},
      {"/nan", 0, Kind(FaultKind::Network) + "transfer closed with 7 bytes remaining", -1, 5},
      {"/conflict", 0, Kind(FaultKind::Network) + "transfer closed with 1 bytes remaining", -1, 5},
      {"/neg", 0, Kind(FaultKind::Network) + "Invalid Content-Length", -1, -1},
      {"/a b", 0, Kind(FaultKind::BadAddress) + "URL using bad/illegal format", -1, -1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    fs::remove_all(dir / "out");
    fs::create_directories(dir / "out");
    WriteFile(dir / "out/v.flv", "earlier");
    base::Outcome<PartialFile> file = PartialFile::Claim((dir / "out/v.flv").string());
    ASSERT_TRUE(file.Done());
    int reports = 0;
    const base::Outcome<std::uint64_t> outcome = Transfer(
        server.url(c.path), file.Value(), c.expected,
        [&](std::uint64_t, std::uint64_t) { ++reports; },
        [&] { return c.stopAt > 0 && reports >= c.stopAt; });
    file.Value().Abandon();
    EXPECT_EQ(Said(outcome).substr(0, c.said.size()), c.said);
    EXPECT_EQ(ReadFile(dir / "out/v.flv"), "earlier");
    for (const auto &[name, size] :
         {std::pair{"v (2).flv", c.complete}, {"v.flv.vidtrawl-part", c.part}}) {
      if (size < 0)
        EXPECT_FALSE(fs::exists(dir / "out" / name)) << name;
      else if (c.stopAt == 0)
        EXPECT_EQ(ReadFile(dir / "out" / name), Pattern(static_cast<std::size_t>(size))) << name;
      else
        EXPECT_GT(fs::file_size(dir / "out" / name), 0u) << name;
    }
  }
  // A disk that takes no more (no file may grow past 1000 bytes) fails the transfer with why.
  base::Outcome<PartialFile> file = PartialFile::Claim((dir / "full.flv").string());
  base::Outcome<std::uint64_t> outcome = base::Stopped{};
  testing::WithFileSizeLimit(
      1000, [&] { outcome = Transfer(server.url("/body/5000"), file.Value(), 0); });
  EXPECT_EQ(Said(outcome), Kind(FaultKind::LocalFile) + "cannot write " +
                               (dir / "full.flv").string() + PartialFile::kSuffix +
                               ": File too large");
  // A busy server fails a transfer for now, with the wait it asks for (a date past: none).
  base::Outcome<PartialFile> busy = PartialFile::Claim((dir / "busy.flv").string());
  for (const auto &[n, wait] : {std::pair{1, 120}, {2, 0}, {3, -1}}) {
    outcome = Transfer(server.url("/busy/" + std::to_string(n)), busy.Value(), 0);
    EXPECT_TRUE(outcome.Failed() && outcome.Failure().transient);
    EXPECT_EQ(outcome.Failure().retryAfter, wait) << n;
  }
  // Only a server busy or failing for now is tried again, as curl's --retry has it.
  const std::set<int> busyNow = {408, 429, 500, 502, 503, 504};
  for (const int status : {400, 403, 408, 409, 429, 451, 500, 501, 502, 503, 504, 599}) {
    outcome = Transfer(server.url("/status/" + std::to_string(status)), busy.Value(), 0);
    EXPECT_EQ(outcome.Failure().detail, "the server answered " + std::to_string(status));
    EXPECT_EQ(outcome.Failure().transient, busyNow.count(status) == 1) << status;
  }
}

// Bytes a transfer left are joined only to what is provably the rest of the same file: each
// server's answer to a request for the rest of 8,000 bytes of "v1", with what the header request
// said of the file or nothing; every byte of the result, and what is left in the folder. A server
// that sends the rest in parts is asked again while each brings something. An answer that is no
// part of the file, nor the file, leaves the bytes on disk as they were.
TEST_F(NetworkTest, OnlyTheRestOfTheSameFileIsJoinedToWhatWasReceived) {
  const std::string v1 = Pattern(20000, 1), v2 = Pattern(20000, 2);
  const struct {
    std::string mode;
    bool headFirst;   // the header request's size and version are known
    std::string said; // the outcome
    std::string file; // what the file holds: "v1", "v2", or "" for none
    int requests;
  } cases[] = {
      {"honest", true, "done 20000", "v1", 1},
      {"whole", false, "done 20000", "v1", 1},
      {"changed-honest", false, "done 20000", "v2", 1},
      {"changed-ignores", true, "done 20000", "v2", 1},
      {"changed-ignores", false, "done 20000", "v2", 2},
      {"portal", true, Kind(FaultKind::WebPage) + "the server sent a web page, not a video", "", 2},
      {"short", true, "done 20000", "v1", 12},
      {"416", true, "done 20000", "v1", 2},
      {"bare", false, "done 20000", "v1", 2},
      {"aged", true, "done 20000", "v1", 1},
      {"dated", true, "done 20000", "v1", 2},
      {"tiny", true, "done 20000", "v1", 120},
      {"empty", false,
       Kind(FaultKind::HttpStatus) + "the server sent a part of 0 bytes for the range 8000-19999",
       "", 1},
      {"span", true,
       Kind(FaultKind::HttpStatus) +
           "the server sent a part of 1000 bytes for the range 8000-19999",
       "", 1},
      {"gzip", true,
       Kind(FaultKind::HttpStatus) + "the server sent a part of the file encoded (gzip)", "", 1},
      {"expired", true, Kind(FaultKind::WebPage) + "the server sent application/json, not a video",
       "", 1},
      {"emptied", true,
       Kind(FaultKind::ShortBody) + "the server sent an empty answer for a file of 20000 bytes", "",
       1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.mode + (c.headFirst ? " after a header request" : ""));
    fs::remove_all(dir / "out");
    fs::create_directories(dir / "out");
    const std::string target = (dir / "out/v.mp4").string(), address = server.url("/r/" + c.mode);
    base::Outcome<PartialFile> first = PartialFile::Claim(target, address);
    first.Value().Write(v1.data(), 8000);
    first.Value().SetVersion(c.mode == "aged"    ? "Mon, 07 Dec 2026 09:00:00 GMT"
                             : c.mode == "dated" ? "Mon, 07 Dec 2026 10:00:00 GMT"
                                                 : "\"v1\"");
    first.Value().Abandon();
    const std::size_t before = server.Requests().size();
    base::Outcome<PartialFile> again = PartialFile::Claim(target, address);
    ASSERT_EQ(again.Value().Offset(), 8000u);
    ExpectedFile expected;
    if (c.headFirst) {
      const base::Outcome<RemoteFile> head = Ask(address);
      expected = {head.Value().size.value_or(0), head.Value().version};
    }
    const base::Outcome<std::uint64_t> outcome =
        testing::RunToEnd<std::uint64_t>(loop, [&](auto done) {
          return std::make_unique<FileTransfer>(session, address, again.Value(), expected,
                                                ProgressSink{}, std::move(done));
        });
    EXPECT_EQ(Said(outcome), c.said);
    again.Value().Abandon();
    EXPECT_TRUE(ReadFile(target) == (c.file == "v1" ? v1 : c.file == "v2" ? v2 : ""));
    // A failed one leaves the partial file with what came, to be taken up later.
    EXPECT_TRUE(ReadFile(target + PartialFile::kSuffix) ==
                (c.file.empty() ? v1.substr(0, 8000) : ""));
    EXPECT_EQ(server.Requests().size() - before,
              static_cast<std::size_t>(c.requests + c.headFirst));
  }
  // A weak ETag proves nothing: bytes of its version (a disk full after 8,000) are not taken up,
  // and no If-Range carries the date beside it.
  const std::string target = (dir / "out/w.mp4").string(), address = server.url("/r/weak");
  const std::size_t before = server.Requests().size();
  base::Outcome<PartialFile> first = PartialFile::Claim(target, address);
  testing::WithFileSizeLimit(8000, [&] { Transfer(address, first.Value(), 20000); });
  first.Value().Abandon();
  EXPECT_EQ(fs::file_size(target + PartialFile::kSuffix), 8000u);
  EXPECT_EQ(server.Requests().size(), before + 1);
  EXPECT_EQ(server.Requests().back().find("If-Range"), std::string::npos);
  // Another address's bytes are not taken up, nor removed: the name is taken.
  EXPECT_TRUE(PartialFile::Claim(target, server.url("/r/honest")).Failed());
  EXPECT_TRUE(PartialFile::NameInUse(target, server.url("/r/honest")));
  EXPECT_FALSE(PartialFile::NameInUse(target, address));
  EXPECT_EQ(PartialFile::Claim(target, address).Value().Offset(), 0u);
}

// Where the folder's file system keeps no extended attributes (ramfs), the partial file's notes
// go into a state file beside it under the same rules: a stopped transfer goes on exactly, and
// nothing of it is left once complete.
TEST_F(NetworkTest, WithoutExtendedAttributesAStoppedTransferGoesOn) {
  const fs::path ramfs = dir / "ramfs";
  fs::create_directories(ramfs);
  VIDTRAWL_NEEDS_TOOL(::mount("ramfs", ramfs.c_str(), "ramfs", 0, nullptr) == 0, "root's ramfs");
  const std::string target = (ramfs / "v.mp4").string(), address = server.url("/r/honest");
  base::Outcome<PartialFile> first = PartialFile::Claim(target, address);
  first.Value().Write(Pattern(20000, 1).data(), 8000);
  first.Value().SetVersion("\"v1\"");
  first.Value().Abandon();
  EXPECT_FALSE(PartialFile::NameInUse(target, address));
  EXPECT_TRUE(PartialFile::NameInUse(target, server.url("/r/other")));
  base::Outcome<PartialFile> again = PartialFile::Claim(target, address);
  EXPECT_EQ(again.Value().Offset(), 8000u);
  EXPECT_EQ(Said(Transfer(address, again.Value(), 20000)), "done 20000");
  EXPECT_TRUE(ReadFile(target) == Pattern(20000, 1));
  EXPECT_EQ(std::distance(fs::directory_iterator(ramfs), fs::directory_iterator()), 1);
  EXPECT_NE(server.Requests().back().find("Range: bytes=8000-"), std::string::npos);
  ::umount(ramfs.c_str());
}

// A file of known length and version comes over as many connections as it has segments of 1 MiB
// (up to those allowed) into one partial file, whole: a connection dropped midway is asked again
// from where it stopped, one sent past its part keeps its part; a server that answers a part with
// the whole file, another part, version or length is downloaded over one connection from the
// start, as is a file under 2 MiB or of unknown length or version. A connection refused for now
// (503) while others run leaves the download to them; a part answered with a page ends the
// download with why, and the next run completes the partial file it left. Bytes
// received in one piece are its first segment when of this version, and go when of another.
TEST_F(NetworkTest, AFileComesOverSeveralConnectionsAsOne) {
  session.SetRules({4, 0});
  // Four connections at once answer slower than one under a sanitizer: no time limit is tested
  // here.
  session.SetLimits({2000ms, 4000ms, 4000ms, 1});
  const std::string four = "0-1048575 1048576-2097151 2097152-3145727 3145728-4194303";
  const struct {
    std::string mode, said, ranges; // said: "" for the whole file; ranges: "?" for any
    std::string kept = "";          // the version of 1 MiB received before ("" none)
  } cases[] = {
      {"honest", "", four},
      {"cut", "", four + " 2397152-3145727"},
      {"longer", "", four},
      {"first", "", "?"},
      {"whole", "", "0-1048575"},
      {"total", "", "0-1048575"},
      {"changed", "", four},
      {"small", "", ""},
      {"two", "", "0-1048575 1048576-2097151"},
      {"open", "", ""},
      {"bare", "", ""},
      {"fail", "", "?"}, // the download goes on with the connections the server took
      {"page", Kind(FaultKind::WebPage) + "the server sent a web page, not a video", "0-1048575"},
      {"honest", "", "1048576-2097151 2097152-3145727 3145728-4194303", "v1"},
      {"honest", "", four, "v0"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.mode + c.kept);
    const std::string target = (dir / ("s-" + c.mode + c.kept + ".mp4")).string(),
                      address = server.url("/s/" + c.mode);
    const RemoteFile head = Ask(address).Value();
    if (!c.kept.empty()) {
      base::Outcome<PartialFile> file = PartialFile::Claim(target, address);
      file.Value().Write(Pattern(4 << 20, c.kept == "v1" ? 3 : 4).data(), 1 << 20);
      file.Value().SetVersion("\"" + c.kept + "\"");
    }
    const auto download = [&] {
      base::Outcome<PartialFile> file = PartialFile::Claim(target, address);
      return Said(testing::RunToEnd<std::uint64_t>(loop, [&](auto done) {
        return std::make_unique<Download>(
            session, address, file.Value(), ExpectedFile{head.size.value_or(0), head.version},
            ProgressSink{}, std::move(done), FileTransfer::Then::Complete, Agent::Legacy);
      }));
    };
    const std::size_t before = server.Requests().size();
    const std::size_t size = SegmentedSize(c.mode);
    EXPECT_EQ(download(), c.said.empty() ? "done " + std::to_string(size) : c.said);
    std::multiset<std::string> asked, expected;
    const std::vector<std::string> requests = server.Requests(); // a copy, taken under its lock
    for (std::size_t i = before; i < requests.size(); ++i) {
      const std::string &request = requests[i];
      const std::size_t at = request.find("Range: bytes=");
      if (at != std::string::npos)
        asked.insert(request.substr(at + 13, request.find('\r', at) - at - 13));
    }
    std::istringstream words(c.ranges);
    for (std::string range; words >> range;)
      expected.insert(range);
    EXPECT_TRUE(c.ranges == "?" || asked == expected) << ::testing::PrintToString(asked);
    EXPECT_EQ(c.said.empty() ? "" : download(),
              c.said.empty() ? "" : "done " + std::to_string(size));
    EXPECT_TRUE(ReadFile(target) == Pattern(size, 3));
  }
}

// One speed limit holds for all transfers, those running too: two under a limit of 100 bytes a
// second that is lifted once bytes came both go on at once, to every byte of their files.
TEST_F(NetworkTest, ASpeedLimitLiftedLetsRunningTransfersGoOn) {
  session.Multi().SetSpeedLimit(100);
  std::optional<base::Outcome<std::uint64_t>> ends[2];
  std::list<base::Outcome<PartialFile>> files;
  std::vector<std::unique_ptr<FileTransfer>> transfers;
  for (int i = 0; i < 2; ++i) {
    files.push_back(PartialFile::Claim((dir / ("v" + std::to_string(i))).string()));
    transfers.push_back(std::make_unique<FileTransfer>(
        session, server.url("/body/600000"), files.back().Value(), ExpectedFile{},
        [&](std::uint64_t, std::uint64_t) { session.Multi().SetSpeedLimit(0); },
        [&ends, i](base::Outcome<std::uint64_t> end) { ends[i] = std::move(end); }));
  }
  loop.RunUntil([&] { return ends[0] && ends[1]; }, std::chrono::seconds(60));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(ends[i] && Said(*ends[i]) == "done 600000") << i;
    EXPECT_TRUE(ReadFile(dir / ("v" + std::to_string(i))) == Pattern(600000)) << i;
  }
}

// A header request (HEAD, HTTP/1.0, the program's agent) for what a server says of a file; a
// server that does not answer, or answers past the limits, is a fault.
TEST_F(NetworkTest, AHeaderRequestReadsWhatTheServerSays) {
  const auto said = [&](const std::string &url) {
    const base::Outcome<RemoteFile> file = Ask(url);
    if (!file.Done())
      return file.Failed() ? Kind(file.Failure().kind) + file.Failure().detail : "stopped";
    const RemoteFile &f = file.Value();
    return std::string(f.exists ? "exists" : "missing") + " " +
           (f.size ? std::to_string(*f.size) : "?") + " " + f.name + " " + f.type + " " +
           f.lastModified;
  };
  const std::string port = std::to_string(server.port());
  const std::pair<std::string, std::string> cases[] = {
      {server.url("/named"), "exists 10 v.flv x-flv then"},
      {server.url("/open/5"), "exists ?   Not Available"},
      {server.url("/twice"), "exists 42   Not Available"},
      {"127.0.0.1:" + port + "/body/4?x=1&y=2", "exists 4   Not Available"},
      {server.url("/missing"), "missing ?   Not Available"},
      {server.url("/gone"), "missing ?   Not Available"},
      // A server that does not do HEAD, or refuses it: nothing is known but that it may exist.
      {server.url("/status/501"), "exists ?   Not Available"},
      {server.url("/status/405"), "exists ?   Not Available"},
      {server.url("/nan"),
       Kind(FaultKind::BadHeader) + "the server's Content-Length is not a number"},
      {server.url("/huge"), Kind(FaultKind::BadHeader) + "the response headers are too long"},
      {server.url("/trickle"),
       Kind(FaultKind::Network) + "the server did not finish its headers within 0 s"},
      {server.url("/closed"), Kind(FaultKind::Network) + "Empty reply from server"},
  };
  for (const auto &[url, expected] : cases)
    EXPECT_EQ(said(url), expected) << url;
  const auto requests = server.Requests();
  EXPECT_EQ(requests[0].rfind("HEAD /named HTTP/1.0\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find(std::string("User-Agent: ") + Session::kAgent + "\r\n"),
            std::string::npos);
  EXPECT_EQ(requests[3].rfind("HEAD /body/4?x=1&y=2 HTTP/1.0\r\n", 0), 0u) << requests[3];
}

// A page: the body of a 200, in memory, with its progress against its own length; no header
// request first.
TEST_F(NetworkTest, APageIsTheWholeBodyOfAWholeAnswer) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
  const auto progress = [&](std::uint64_t got, std::uint64_t of) { reports.emplace_back(got, of); };
  const base::Outcome<Page> page =
      Fetch(server.url("/body/70000"), progress, {}, 70000); // just fits
  ASSERT_TRUE(page.Done());
  EXPECT_TRUE(page.Value().text == Pattern(70000));
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back(), (std::pair<std::uint64_t, std::uint64_t>{70000, 70000}));
  EXPECT_EQ(Said(Fetch(server.url("/open/70000"), {}, {}, 65536)),
            Kind(FaultKind::PageTooLarge) + "the page is larger than 65536 bytes");
  EXPECT_EQ(Said(Fetch("www.youtube.com/watch?v=1")),
            Kind(FaultKind::BadAddress) + "not an http or https address");
  // Stopped while the server holds its answer back (not before it has the request).
  const auto asked = [&] { return Requests().ends_with("/stall"); };
  EXPECT_EQ(Said(Fetch(server.url("/stall"), {}, asked)), "stopped");
  EXPECT_EQ(Requests(), "GET /body/70000, GET /open/70000, GET /stall");
  // A page redirected is of the address it came from; one whose headers say it is none (asked
  // before its body is kept) ends there, without its text.
  const base::Outcome<Page> redirected = Fetch(server.url("/start"));
  EXPECT_EQ(redirected.Value().address, server.url("/body/3000"));
  EXPECT_EQ(redirected.Value().text.size(), 3000u);
  const base::Outcome<Page> head = testing::RunToEnd<Page>(loop, [&](PageFetch::Done done) {
    return std::make_unique<PageFetch>(
        session, server.url("/start"), ProgressSink{}, std::move(done), kMaxPageBytes,
        Agent::Legacy, [](const Page &page) { return page.address.ends_with("/body/3000"); });
  });
  EXPECT_EQ(head.Value().address, server.url("/body/3000"));
  EXPECT_EQ(head.Value().text, "");
}

// The cookies file is read when it is set, not for each request (an export of a browser holds tens
// of thousands): a file changed since goes unseen until it is set again. What a server sets is
// kept.
TEST_F(NetworkTest, TheCookiesFileIsReadOnceWhenSet) {
  const fs::path file = dir / "cookies.txt";
  const auto cookieOf = [&](const std::string &path) {
    EXPECT_TRUE(Fetch(server.url(path)).Done()) << path;
    const std::string request = server.Requests().back();
    const std::size_t at = request.find("Cookie: ");
    return at == std::string::npos ? "none"
                                   : request.substr(at + 8, request.find('\r', at) - at - 8);
  };
  EXPECT_EQ(cookieOf("/body/1"), "none");
  WriteFile(file, "127.0.0.1\tFALSE\t/\tFALSE\t0\ts\tone\n");
  session.SetClient({.cookieFile = file.string()});
  EXPECT_EQ(cookieOf("/body/1"), "s=one");
  WriteFile(file, "127.0.0.1\tFALSE\t/\tFALSE\t0\ts\ttwo\n");
  EXPECT_EQ(cookieOf("/body/2"), "s=one");
  session.SetClient({.cookieFile = file.string()});
  EXPECT_EQ(cookieOf("/body/3"), "s=two");
  session.SetClient({});
  EXPECT_EQ(cookieOf("/body/4"), "none");
}

// What stands at the partial name before a claim: a stale partial file of the program's (it
// carries the mark) is replaced; anything else is left alone, and the claim fails with why. A name
// in the way at the end is kept: the complete file takes the next free name.
TEST_F(NetworkTest, APartialFileIsClaimedSafely) {
  const fs::path sub = dir / "sub", outside = dir / "outside", part = sub / "v.flv.vidtrawl-part";
  const std::pair<std::string, bool> cases[] = {
      {"stale", true}, {"stale read-only", true}, {"target link", true},     {"folder", false},
      {"link", false}, {"no folder", false},      {"file for folder", false}};
  for (const auto &[before, completes] : cases) {
    SCOPED_TRACE(before);
    fs::remove_all(sub);
    fs::create_directories(sub);
    WriteFile(outside, "outside");
    if (before.rfind("stale", 0) == 0) {
      WriteFile(part, before);
      ASSERT_EQ(::setxattr(part.c_str(), PartialFile::kMark, "1", 1, 0), 0);
    }
    if (before == "stale read-only")
      fs::permissions(part, fs::perms::owner_read);
    if (before == "target link" || before == "link")
      fs::create_symlink(outside, before == "link" ? part : sub / "v.flv");
    if (before == "folder")
      fs::create_directory(part);
    if (before == "no folder" || before == "file for folder")
      fs::remove_all(sub);
    if (before == "file for folder")
      WriteFile(sub, "x");
    EXPECT_EQ(PartialFile::NameInUse(sub / "v.flv"),
              before != "stale" && before != "stale read-only" && before != "no folder" &&
                  before != "file for folder");
    base::Outcome<PartialFile> file = PartialFile::Claim((sub / "v.flv").string());
    EXPECT_EQ(file.Done(), completes);
    if (completes) {
      ASSERT_TRUE(file.Value().Write("bytes", 5));
      EXPECT_EQ(file.Value().Complete(), std::nullopt);
      EXPECT_EQ(ReadFile(sub / (before == "target link" ? "v (2).flv" : "v.flv")), "bytes");
      EXPECT_FALSE(fs::exists(fs::symlink_status(part)));
    } else {
      EXPECT_EQ(file.Failure().kind, FaultKind::LocalFile);
    }
    EXPECT_EQ(ReadFile(outside), "outside");
  }
  EXPECT_EQ(PartialFile::Claim("").Failure().detail,
            "cannot save a file without a name: No such file or directory");
}

// Nothing waits for a time limit (20 s here) that an end has passed: a download over eight
// connections from nginx under a speed limit, whose segments' ends move as connections take over
// each other's rest, ends when its last byte is in; a small disk is told at once, before any byte
// for a download in segments, as the held-back bytes are refused under a speed limit for one.
TEST_F(NetworkTest, ASpeedLimitOrAFullDiskHoldsNoTransferUp) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  testing::Nginx nginx(dir / "nginx", "");
  const std::size_t size = 16 << 20;
  WriteFile(dir / "nginx/www/clip.mp4", Pattern(size, 9));
  session.SetLimits({2000ms, 20000ms, 20000ms, 1});
  session.SetRules({8, 0});
  session.Multi().SetSpeedLimit(24 << 20);
  const std::string address = nginx.Url("/clip.mp4");
  const RemoteFile head = Ask(address).Value();
  const auto download = [&](const fs::path &target, const ExpectedFile &expected) {
    base::Outcome<PartialFile> file = PartialFile::Claim(target.string(), address);
    return Said(testing::RunToEnd<std::uint64_t>(loop, [&](auto done) {
      return std::make_unique<Download>(session, address, file.Value(), expected, ProgressSink{},
                                        std::move(done), FileTransfer::Then::Complete,
                                        Agent::Legacy);
    }));
  };
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(download(dir / "clip.mp4", {*head.size, head.version}), "done 16777216");
  EXPECT_TRUE(ReadFile(dir / "clip.mp4") == Pattern(size, 9));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
  const fs::path small = dir / "small";
  fs::create_directories(small);
  VIDTRAWL_NEEDS_TOOL(::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=1m") == 0, "root's tmpfs");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(download(small / "clip.mp4", {*head.size, head.version}),
            Kind(FaultKind::LocalFile) + "not enough room for " + (small / "clip.mp4").string() +
                PartialFile::kSuffix + ": 16777216 bytes needed, 1048576 free");
  session.SetRules({1, 0});
  EXPECT_EQ(download(small / "one.mp4", {}),
            Kind(FaultKind::LocalFile) + "cannot write " + (small / "one.mp4").string() +
                PartialFile::kSuffix + ": No space left on device");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
  ::umount(small.c_str());
}

// nginx sends a file over eight connections; stopped midway, the download goes on over them with
// every segment from where it stopped, asking for no byte it has (nginx's log of the ranges).
TEST_F(NetworkTest, ARealServerSendsAFileOverSeveralConnections) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  testing::Nginx nginx(dir / "nginx", "limit_rate 1m;");
  const std::size_t large = 16 << 20;
  WriteFile(dir / "nginx/www/large.mp4", Pattern(large, 8));
  const std::string target = (dir / "large.mp4").string(), address = nginx.Url("/large.mp4");
  session.SetRules({8, 0});
  const RemoteFile head = Ask(address).Value();
  std::uint64_t received = 0;
  const auto download = [&](PartialFile &file, const std::function<bool()> &stop) {
    return Said(testing::RunToEnd<std::uint64_t>(
        loop,
        [&](auto done) {
          return std::make_unique<Download>(
              session, address, file, ExpectedFile{*head.size, head.version},
              [&](std::uint64_t bytes, std::uint64_t) { received = bytes; }, std::move(done),
              FileTransfer::Then::Complete, Agent::Legacy);
        },
        stop));
  };
  base::Outcome<PartialFile> first = PartialFile::Claim(target, address);
  EXPECT_EQ(download(first.Value(), [&] { return received >= large / 2; }), "stopped");
  first.Value().Abandon();
  session.SetClient({.userAgent = "the second run"}); // its requests in nginx's log
  base::Outcome<PartialFile> rest = PartialFile::Claim(target, address);
  const std::optional<SegmentMap> map = SegmentMap::Read(rest.Value().Segments(), large);
  ASSERT_TRUE(map.has_value());
  EXPECT_EQ(download(rest.Value(), {}), "done " + std::to_string(large));
  EXPECT_TRUE(ReadFile(target) == Pattern(large, 8));
  // Every range asked for after the stop lies in what the map had yet to come.
  std::istringstream log(nginx.AccessLog());
  int ranges = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find("the second run") == std::string::npos)
      continue;
    const std::size_t at = line.find("\"bytes=");
    ASSERT_NE(at, std::string::npos) << line;
    const std::uint64_t from = std::stoull(line.substr(at + 7));
    const std::uint64_t to = std::stoull(line.substr(line.find('-', at) + 1));
    ++ranges;
    EXPECT_TRUE(std::any_of(map->Segments().begin(), map->Segments().end(), [&](const auto &s) {
      return from >= s.Next() && to < s.end;
    })) << line;
  }
  EXPECT_GE(ranges, 8);
}

// What nginx says of a file, and a transfer stopped halfway going on where it stopped: nginx sends
// the rest, as its log says (the file is large enough for a stop to come before its end).
TEST_F(NetworkTest, ARealServerServesHeadersAndTransfers) {
  VIDTRAWL_NEEDS_TOOL(testing::Nginx::Installed(), "nginx");
  testing::Nginx nginx(dir / "nginx");
  const std::size_t large = 64 << 20;
  WriteFile(dir / "nginx/www/large.mp4", Pattern(large, 9));
  const std::string again = (dir / "large.mp4").string(), address = nginx.Url("/large.mp4");
  const base::Outcome<RemoteFile> info = Ask(address);
  ASSERT_TRUE(info.Done()) << testing::ReadFile(dir / "nginx/error.log");
  EXPECT_EQ(info.Value().size, large);
  EXPECT_EQ(info.Value().type, "mp4");
  EXPECT_NE(info.Value().lastModified.find(" GMT"), std::string::npos);
  base::Outcome<PartialFile> first = PartialFile::Claim(again, address);
  EXPECT_EQ(Said(Transfer(address, first.Value(), large, {},
                          [&] {
                            return fs::exists(again + PartialFile::kSuffix) &&
                                   fs::file_size(again + PartialFile::kSuffix) >= large / 2;
                          })),
            "stopped");
  first.Value().Abandon();
  base::Outcome<PartialFile> rest = PartialFile::Claim(again, address);
  const std::uint64_t offset = rest.Value().Offset();
  EXPECT_GE(offset, large / 2);
  EXPECT_LT(offset, large);
  EXPECT_EQ(Said(Transfer(address, rest.Value(), large)), "done " + std::to_string(large));
  EXPECT_TRUE(ReadFile(again) == Pattern(large, 9));
  const std::string log = nginx.AccessLog();
  EXPECT_NE(log.find("\"GET /large.mp4 HTTP/1.1\" 206 " + std::to_string(large - offset) + " "),
            std::string::npos)
      << log;
}

} // namespace
} // namespace vidtrawl::net
