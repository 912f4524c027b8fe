// Download passes through the engine's face, on a loop the test turns, over a server that plays
// every site: what each item becomes and why, the files it leaves, and the commands the user gives
// between two events while several downloads run.
#include "list/ListFile.h"
#include "net/ClientOptions.h"
#include "support/EngineFixture.h"

#include <atomic>
#include <map>
#include <set>
#include <sstream>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using engine::Phase;
using namespace std::chrono_literals;

class DownloadPassTest : public EngineFixture, public engine::ItemObserver {
protected:
  // Turns the loop until the item at `index` is receiving and has `bytes` of them (some, by
  // default): the bytes a server sends at once can come over two turns of the loop.
  void UntilReceiving(std::size_t index, std::uint64_t bytes = 1) {
    ASSERT_TRUE(RunUntil([&] {
      return index < engine->Count() && Item(index).phase == Phase::Receiving &&
             Item(index).received >= bytes;
    }));
  }
  // How reading the kept list went, as one text: "read HELD LEFT", "unreadable", "missing", or
  // "damaged PROBLEM ITEM KEPT-AS" (the problem's number, the name the file was kept under).
  std::string Loaded(const fs::path &file) {
    const engine::ListRead read = engine->LoadList(file);
    using Outcome = engine::ListRead::Outcome;
    switch (read.outcome) {
    case Outcome::Read:
      return "read " + std::to_string(read.held) + " " + std::to_string(read.leftOut);
    case Outcome::Missing:
      return "missing";
    case Outcome::Unreadable:
      return "unreadable";
    case Outcome::Damaged:
      break;
    }
    return "damaged " + std::to_string(static_cast<int>(read.problem)) + " " +
           std::to_string(read.item) + " " + read.keptAs.filename().string();
  }
  std::string Statuses() const {
    std::string text;
    for (const engine::ItemView &item : engine->Items())
      text += (text.empty() ? "" : ",") + item.address.substr(item.address.rfind('/') + 1) + " " +
              engine::StatusText(item);
    return text;
  }
  // Every status an item shows, as it changes.
  void ItemChanged(std::size_t index) override { seen.insert(engine::StatusText(Item(index))); }
  void RunsChanged(const std::vector<std::size_t> &indices) override {
    for (const std::size_t index : indices)
      ItemChanged(index);
  }

  std::set<std::string> seen;
};

// One job at a time takes the items in list order, each page, header request and file in turn.
TEST_F(DownloadPassTest, EveryUnfinishedItemIsReceivedIntoItsFolder) {
  NewEngine(1);
  Configure([&](engine::Config &c) { c.downloadDir = (dir / "deep/er/videos").string(); });
  AddVideo("known", Pattern(100000));
  AddVideo("unknown", Pattern(50000, 2), false);
  engine->Add({"ftp://www.example.org/x", "http://media.example.net/files/known.flv?dl=1"});
  engine->Subscribe(static_cast<engine::ItemObserver *>(this));
  EXPECT_EQ(RunPass().completed, 3);
  EXPECT_FALSE(engine->Downloading());
  // A page's progress is measured against its own length; a page is fetched without a header
  // request, a video file with one.
  for (const char *status : {"Preparing (0%)", "Preparing (100%)", "Start Downloading..."})
    EXPECT_TRUE(seen.count(status)) << status;
  std::string requests;
  for (const std::string &request : server.Requests())
    requests += request.substr(0, request.find(" HTTP/")) + ", ";
  EXPECT_EQ(requests, "GET /page/known, HEAD /files/known.flv, GET /files/known.flv, "
                      "GET /page/unknown, HEAD /files/unknown.flv, GET /files/unknown.flv, "
                      "HEAD /files/known.flv?dl=1, GET /files/known.flv?dl=1, ");
  EXPECT_EQ(Items(),
            "known known.flv Complete 97.7 KB,unknown unknown.flv Complete 48.8 KB,"
            "x Un supported link ERROR ????,known.flv?dl=1 known (2).flv Complete 97.7 KB");
  EXPECT_EQ(ReadFile(Saved("known.flv")), Pattern(100000));
  EXPECT_EQ(ReadFile(Saved("unknown.flv")), Pattern(50000, 2));
  // A second pass touches no finished item.
  const std::size_t before = server.Requests().size();
  EXPECT_EQ(RunPass().completed, 0);
  EXPECT_EQ(server.Requests().size(), before);
  engine->Unsubscribe(static_cast<engine::ItemObserver *>(this));
}

// Every way an item fails, with its texts and its reason in words.
TEST_F(DownloadPassTest, EveryFailureSaysWhy) {
  const auto page = [&](const std::string &name, const std::string &video) {
    Serve("/page/" + name, "<param value=\"" + video + "\">");
    engine->Add({"http://www.putfile.com/page/" + name});
  };
  const auto script = [&](const std::string &path, std::string head, std::string get) {
    Serve(path, [head, get](bool isHead) { return RawServer::Reply{isHead ? head : get}; });
  };
  const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";
  engine->Add({"ftp://www.example.org/v"});
  engine->Add({"http://www.putfile.com/page/none"}); // 404 page
  page("novideo", "nothing here");
  page("gone", "http://media.putfile.com/gone.flv"); // 404 header request
  script("/nan.flv", "HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\n", ok);
  page("nan", "http://media.putfile.com/nan.flv");
  script("/deny.flv", ok, "HTTP/1.1 403 Forbidden\r\n\r\n");
  page("deny", "http://media.putfile.com/deny.flv");
  script("/short.flv", ok, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
  page("short", "http://media.putfile.com/short.flv");
  page("space", "http://media.putfile.com/a b.flv");
  page("refused", "http://127.0.0.1:" + std::to_string(RawServer::UnusedPort()) + "/r.flv");
  RunPass();
  std::string reasons;
  for (const engine::ItemView &item : engine->Items())
    reasons += engine::ReasonText(item) + "\n";
  EXPECT_EQ(reasons.substr(0, reasons.find("Failed to connect to 127.0.0.1 port")),
            "the address belongs to no supported site\n"
            "the page could not be fetched: the server answered 404\n"
            "the page names no video\n"
            "the server reported no such file\n"
            "the server's Content-Length is not a number\n"
            "the server answered 403\n"
            "transfer closed with 7 bytes remaining to read\n"
            "URL using bad/illegal format or missing URL\n");
  EXPECT_EQ(Items().substr(0, Items().find(",none")), "v Un supported link ERROR ????");
  EXPECT_NE(Items().find(
                "Video may be inappropriate and can not be downloaded Process failed. ERROR ????"),
            std::string::npos)
      << Items();
  EXPECT_NE(Items().find("gone gone.flv ERROR -1 Bytes"), std::string::npos) << Items();
  EXPECT_FALSE(fs::exists(Saved("gone.flv")));
  for (const engine::ItemView &item : engine->Items())
    EXPECT_EQ(item.phase, Phase::Failed) << item.address;
  // A folder that cannot be made fails the item, with why.
  NewEngine();
  WriteFile(dir / "afile", "x");
  Configure([&](engine::Config &c) { c.downloadDir = (dir / "afile/videos").string(); });
  AddVideo("fine", "fine");
  RunPass();
  EXPECT_EQ(engine::ReasonText(Item(0)),
            "cannot create " + (dir / "afile/videos/fine.flv.vidtrawl-part").string() +
                ": Not a directory");
}

// Items whose videos carry one name are saved under free variants of it in list order, whatever
// answers first and however many run at once, also when the item that completed the name has left
// the list, and so is an item whose name the folder holds: nothing there is replaced.
TEST_F(DownloadPassTest, NoTwoItemsShareAFile) {
  for (const int jobs : {1, 3}) {
    SCOPED_TRACE(jobs);
    NewEngine(jobs);
    for (const std::string page : {"x", "y", "z"}) {
      Serve("/page/" + page, "<param value=\"http://media.putfile.com/" + page + "/clip.flv\">");
      // The first item's server answers its header request last.
      Serve("/" + page + "/clip.flv", [page](bool head) {
        return RawServer::Reply{
            RawResponse("HTTP/1.1 200 OK", "Content-Length: 7\r\n", head ? "" : "video " + page),
            false, head && page == "x" ? 100ms : 0ms};
      });
      engine->Add({"http://www.putfile.com/page/" + page});
    }
    fs::create_directories(engine->DownloadDir());
    WriteFile(Saved("clip.flv"), "there before");
    engine->StartPass();
    if (jobs == 1) {
      RunUntil([&] { return Item(2).phase == Phase::Resolving; });
      engine->Remove({Item(0).serial});
    }
    RunUntil([&] { return !engine->Downloading(); });
    EXPECT_EQ(Items(), std::string(jobs == 1 ? "" : "x clip (2).flv Complete 7 Bytes,") +
                           "y clip (3).flv Complete 7 Bytes,z clip (4).flv Complete 7 Bytes");
    EXPECT_EQ(ReadFile(Saved("clip.flv")), "there before");
    EXPECT_EQ(ReadFile(Saved("clip (2).flv")), "video x");
    EXPECT_EQ(ReadFile(Saved("clip (4).flv")), "video z");
  }
}

// A name given as a form ({site} {id} {title} {ext}) is filled from the item: the id is the page
// address's own v= parameter, else its last path part, any other field "NA"; its slashes make
// folders inside the download folder, never outside it; a name typed by the user wins over it,
// and two items of one name still get two files.
TEST_F(DownloadPassTest, ANameFormIsFilledFromTheItem) {
  Serve("/c/clip.mp4", "video");
  const std::string form = "[{site}] {id} - {title}.{ext}";
  const struct {
    std::string address, form, name;
  } cases[] = {
      {"clip.mp4?x=1&v=abc&y=2", form, "[video file] abc - clip.mp4"},
      {"clip.mp4?vv=no&v=ok", form, "[video file] ok - clip.mp4"},
      {"clip.mp4?dev=1", form, "[video file] clip - clip.mp4"},
      {"clip.mp4#v=no", form, "[video file] clip - clip (2).mp4"},
      {"clip.mp4?v=s1", "sub/{site}/{id}.{ext}", "sub/video file/s1.mp4"},
      {"clip.mp4?v=s2", "../{uploader}/./{id}", "NA/s2"},
      {"clip.mp4?v=s3", "/v.1/{title}", "v.1/clip"},
      {"clip.mp4?v=s4", "/v.1/{title}", "v.1/clip (2)"},
  };
  for (const auto &c : cases) {
    engine->Add({"http://media.example.net/c/" + c.address});
    engine->SetNameTemplate(engine->Items().back().serial, c.form);
  }
  const std::size_t typed = std::size(cases);
  engine->Add({"http://media.example.net/c/clip.mp4?v=typed"});
  engine->SetNameTemplate(Item(typed).serial, "{id}");
  ASSERT_TRUE(engine->Rename(Item(typed).serial, "mine.mp4"));
  EXPECT_EQ(RunPass().completed, static_cast<int>(typed) + 1);
  for (std::size_t i = 0; i < typed; ++i) {
    EXPECT_EQ(FileNameText(Item(i)), cases[i].name) << cases[i].address;
    EXPECT_EQ(ReadFile(Saved(cases[i].name)), "video") << cases[i].name;
  }
  EXPECT_EQ(ReadFile(Saved("mine.mp4")), "video");
}

// Edits the user makes while an item is received, with one job and with several: every item keeps
// its own outcome, every waiting item is downloaded (items appended, moved or left after a clear),
// and a removed item's download ends at once with its partial file.
TEST_F(DownloadPassTest, EditsDuringATransfer) {
  const struct {
    const char *before;  // videos; "=name": complete already
    std::size_t running; // the edit comes once this item receives
    const char *edit;  // "+": the late video added; "-N": item N (from 0) removed; "down"; "clear"
    const char *after; // "page status", in list order
  } cases[] = {
      {"a", 0, "+", "a Complete,late Complete"},
      {"a,=done", 0, "+", "a Complete,done Complete,late Complete"},
      {"a,=d1,=d2", 0, "-1 +", "a Complete,d2 Complete,late Complete"},
      {"a,=z", 0, "clear +", "a Complete,late Complete"},
      {"a,b", 0, "-0 -1", ""},
      {"a,b", 0, "-0", "b Complete"},
      {"=old,a,b", 1, "-0", "a Complete,b Complete"},
      {"=x,a,b", 1, "-1 -0", "b Complete"},
      {"a,b", 0, "down", "b Complete,a Complete"},
  };
  for (const int jobs : {1, 3})
    for (const auto &c : cases) {
      SCOPED_TRACE(std::string(c.edit) + " on " + c.before + " with " + std::to_string(jobs));
      NewEngine(jobs);
      ServeVideo(*this, "late", "late");
      // The finished items complete in a pass of their own; then each other one comes, moved up
      // past the finished ones after it. The one that is running holds its body back.
      std::vector<std::string> names;
      std::istringstream before(c.before);
      for (std::string item; std::getline(before, item, ',');)
        names.push_back(item);
      for (const std::string &name : names)
        if (name[0] == '=')
          AddVideo(name.substr(1), "done");
      RunPass();
      std::shared_ptr<RawServer::Gate> gate;
      for (std::size_t place = 0; place < names.size(); ++place)
        if (names[place][0] != '=') {
          AddVideo(names[place], Pattern(1000));
          if (place == c.running)
            gate = ServeHeld("/files/" + names[place] + ".flv", Pattern(40000), 100);
          const engine::Serial added = engine->Items().back().serial;
          for (std::size_t next = place + 1; next < names.size(); ++next)
            if (names[next][0] == '=')
              engine->MoveUp(added);
        }
      engine->StartPass();
      UntilReceiving(c.running);
      std::istringstream words(c.edit);
      std::vector<engine::Serial> serials;
      for (const engine::ItemView &item : engine->Items())
        serials.push_back(item.serial);
      bool runningGone = false;
      for (std::string word; words >> word;)
        if (word == "+")
          engine->Add({"http://www.putfile.com/page/late"});
        else if (word == "down")
          engine->MoveDown(serials[0]);
        else if (word == "clear")
          engine->ClearCompleted();
        else {
          const std::size_t index = std::stoul(word.substr(1));
          runningGone = runningGone || index == c.running;
          engine->Remove({serials[index]});
        }
      EXPECT_EQ(fs::exists(Saved("a.flv.vidtrawl-part")), !runningGone);
      gate->open = true;
      RunUntil([&] { return !engine->Downloading(); });
      EXPECT_EQ(Statuses(), c.after);
    }
}

// The user's commands on a running download: a rename names its file once complete; a pause keeps
// its bytes, and a resume asks for the rest only, giving the same file.
TEST_F(DownloadPassTest, RenamePauseAndResumeActOnTheRunningDownload) {
  const std::string body = Pattern(60000, 4);
  AddVideo("clip", body);
  std::shared_ptr<RawServer::Gate> gate = ServeHeld("/files/clip.flv", body, 20000);
  engine->StartPass();
  UntilReceiving(0, 20000);
  EXPECT_EQ(engine->Rename(Item(0).serial, "harbour").name, "harbour");
  engine->Pause({Item(0).serial});
  EXPECT_EQ(engine::StatusText(Item(0)), "Paused");
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(fs::file_size(Saved("clip.flv.vidtrawl-part")), 20000u);
  gate->open = true;
  engine->Resume({Item(0).serial});
  EXPECT_EQ(RunPass().completed, 1);
  EXPECT_EQ(Items(), "clip harbour Complete 58.6 KB");
  EXPECT_TRUE(ReadFile(Saved("harbour")) == body);
  EXPECT_FALSE(fs::exists(Saved("clip.flv.vidtrawl-part")));
  EXPECT_NE(server.Requests().back().find("\r\nRange: bytes=20000-\r\n"), std::string::npos);
}

// A stopped download belongs to its address: another address's file of its name takes the next
// name and leaves its bytes alone; a later run of its own address takes them up (asking for the
// rest only) under the next free name when a file of its name came meanwhile. A file of the
// name that appears while it is received sends it to the next number; a typed name too long for
// its partial name is cut to fit.
TEST_F(DownloadPassTest, AStoppedDownloadBelongsToItsAddress) {
  const std::string a = Pattern(60000, 5), x = "http://media.example.net/x/video.mp4";
  std::shared_ptr<RawServer::Gate> gate = ServeHeld("/x/video.mp4", a, 20000);
  Serve("/y/video.mp4", "the other one");
  engine->Add({x});
  engine->StartPass();
  UntilReceiving(0, 20000);
  engine->Pause({Item(0).serial});
  RunUntil([&] { return !engine->Downloading(); });
  engine->Add({"http://media.example.net/y/video.mp4"});
  RunPass();
  EXPECT_EQ(Items(),
            "video.mp4 video.mp4 Paused 58.6 KB,video.mp4 video (2).mp4 Complete 13 Bytes");
  EXPECT_EQ(fs::file_size(Saved("video.mp4.vidtrawl-part")), 20000u);
  WriteFile(Saved("video.mp4"), "mine");
  gate->open = true;
  const std::string folder = engine->DownloadDir();
  NewEngine(); // a new run: nothing but the partial file says where it stopped
  Configure([&](engine::Config &c) { c.downloadDir = folder; });
  engine->Add({x});
  RunPass();
  EXPECT_EQ(Items(), "video.mp4 video (3).mp4 Complete 58.6 KB");
  EXPECT_TRUE(ReadFile(Saved("video (3).mp4")) == a);
  EXPECT_EQ(ReadFile(Saved("video.mp4")), "mine");
  EXPECT_NE(server.Requests().back().find("\r\nRange: bytes=20000-\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(Saved("video.mp4.vidtrawl-part")));
  // Received as "video (4).mp4", which a file takes meanwhile; typed, a name of 250 bytes.
  NewEngine();
  Configure([&](engine::Config &c) { c.downloadDir = folder; });
  gate = ServeHeld("/z/video.mp4", a, 100);
  engine->Add({"http://media.example.net/z/video.mp4", "http://media.example.net/y/video.mp4"});
  const std::string typed = std::string(246, 'n') + ".mp4";
  EXPECT_EQ(engine->Rename(Item(1).serial, typed).name.size(), 241u);
  engine->StartPass();
  UntilReceiving(0);
  WriteFile(Saved("video (4).mp4"), "theirs");
  gate->open = true;
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(engine::FileNameText(Item(0)), "video (5).mp4");
  EXPECT_TRUE(ReadFile(Saved("video (5).mp4")) == a);
  EXPECT_EQ(ReadFile(Saved(*Item(1).fileName)), "the other one");
}

// A transient failure is tried again after a wait, going on from where it stopped (a connection
// dropped after 10,000 bytes, then a 503 asking for a second's wait); one that keeps failing ends
// with the last reason; a lasting one (404) is not tried again.
TEST_F(DownloadPassTest, TransientFailuresAreTriedAgain) {
  Configure([&](engine::Config &c) { c.retries = 3; });
  const std::string body = Pattern(40000, 7);
  int gets = 0;
  ServeRequests("/flaky.mp4", [&, body](const std::string &request) {
    const std::string head = "ETag: \"f\"\r\nContent-Length: 40000\r\n";
    if (request.rfind("HEAD ", 0) == 0)
      return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", head)};
    switch (++gets) {
    case 1: // the connection drops
      return RawServer::Reply{"HTTP/1.1 200 OK\r\n" + head + "\r\n" + body.substr(0, 10000)};
    case 2:
      return RawServer::Reply{RawResponse("HTTP/1.1 503 Busy", "Retry-After: 1\r\n")};
    default:
      return RawServer::Reply{RawResponse(
          "HTTP/1.1 206 Partial Content",
          "ETag: \"f\"\r\nContent-Range: bytes 10000-39999/40000\r\nContent-Length: 30000\r\n",
          body.substr(10000))};
    }
  });
  Serve("/busy.mp4", [](bool) {
    return RawServer::Reply{RawResponse("HTTP/1.1 503 Busy", "Retry-After: 0\r\n")};
  });
  // A trickle: 100 bytes more of each answer, then the connection drops.
  int trickles = 0;
  ServeRequests("/trickle.mp4", [&, body](const std::string &request) {
    const std::string head = "ETag: \"t\"\r\nContent-Length: 40000\r\n";
    if (request.rfind("HEAD ", 0) == 0)
      return RawServer::Reply{RawResponse("HTTP/1.1 200 OK", head)};
    ++trickles;
    const std::size_t at = request.find("Range: bytes=");
    const std::size_t from = at == std::string::npos ? 0 : std::stoul(request.substr(at + 13));
    return RawServer::Reply{(from == 0 ? "HTTP/1.1 200 OK\r\n" + head
                                       : "HTTP/1.1 206 Partial Content\r\nETag: \"t\"\r\n"
                                         "Content-Range: bytes " +
                                             std::to_string(from) +
                                             "-39999/40000\r\n"
                                             "Content-Length: " +
                                             std::to_string(40000 - from) + "\r\n") +
                            "\r\n" + body.substr(from, 100)};
  });
  engine->Add({"http://media.example.net/flaky.mp4", "http://media.example.net/busy.mp4",
               "http://media.example.net/gone.mp4", "http://media.example.net/trickle.mp4"});
  engine->Subscribe(static_cast<engine::ItemObserver *>(this));
  const auto start = std::chrono::steady_clock::now();
  RunPass();
  engine->Unsubscribe(static_cast<engine::ItemObserver *>(this));
  EXPECT_TRUE(seen.count("Retry in 0:04")) << "a wait says so while it lasts";
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(Items(), "flaky.mp4 flaky.mp4 Complete 39.1 KB,busy.mp4 busy.mp4 ERROR -1 Bytes,"
                     "gone.mp4 gone.mp4 ERROR -1 Bytes,trickle.mp4 trickle.mp4 ERROR 39.1 KB");
  // A trickle's bytes are no progress that earns its tries anew: the retries hold.
  EXPECT_EQ(trickles, 4);
  EXPECT_EQ(Item(3).received, 400u);
  EXPECT_TRUE(ReadFile(Saved("flaky.mp4")) == body);
  EXPECT_EQ(engine::ReasonText(Item(1)), "the server answered 503");
  std::map<std::string, int> asked;
  for (const std::string &request : server.Requests())
    ++asked[request.substr(0, request.find(" HTTP/"))];
  EXPECT_EQ(asked["HEAD /busy.mp4"], 4);
  EXPECT_EQ(asked["HEAD /gone.mp4"], 1);
  EXPECT_EQ(gets, 3);
  const std::vector<std::string> requests = server.Requests();
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const std::string &request) {
    return request.rfind("GET /flaky.mp4", 0) == 0 &&
           request.find("Range: bytes=10000-") != std::string::npos;
  }));
}

// A file this program completed from an address is that address's download: a later run finds it
// there and downloads nothing; a file of the name that changed since, or that another address
// left, is no such file, and the download takes the next name.
TEST_F(DownloadPassTest, AFileDownloadedBeforeIsNotDownloadedAgain) {
  std::atomic<int> version = 1; // the server's ETag
  Serve("/page/clip", "<param value=\"http://media.putfile.com/files/clip.flv\">");
  ServeRequests("/files/clip.flv", [&](const std::string &request) {
    return RawServer::Reply{
        RawResponse("HTTP/1.1 200 OK",
                    "ETag: \"e" + std::to_string(version.load()) + "\"\r\nContent-Length: 9\r\n",
                    request.rfind("HEAD ", 0) == 0 ? "" : "the video")};
  });
  engine->Add({"http://www.putfile.com/page/clip"});
  RunPass();
  const std::string folder = engine->DownloadDir();
  for (const char *change : {"", "changed", "other address", "new version"}) {
    SCOPED_TRACE(change);
    NewEngine();
    Configure([&](engine::Config &c) { c.downloadDir = folder; });
    if (std::string(change) == "changed")
      WriteFile(Saved("clip.flv"), "the video, edited");
    if (std::string(change) == "new version")
      version = 2;
    const std::size_t before = server.Requests().size();
    Serve("/elsewhere/clip.flv", "the other video");
    engine->Add({std::string(change) == "other address"
                     ? "http://media.example.net/elsewhere/clip.flv"
                     : "http://www.putfile.com/page/clip"});
    EXPECT_EQ(RunPass().completed, 1);
    EXPECT_EQ(Item(0).alreadyThere, *change == '\0');
    EXPECT_EQ(engine::FileNameText(Item(0)), *change == '\0' ? "clip.flv" : "clip (2).flv");
    // The page and the header request, then the file's request where it was not there.
    EXPECT_EQ(server.Requests().size() - before,
              *change == '\0' || std::string(change) == "other address" ? 2u : 3u);
    fs::remove(Saved("clip (2).flv"));
  }
}

// Through a proxy, from the environment or the user's own (which wins), every request asks for the
// absolute address, the player host's too (through a tunnel); pages of no known site are asked for
// as a browser of today asks, and an item a browser handed over as that browser asked for it.
TEST_F(DownloadPassTest, RequestsGoThroughAProxy) {
  RawServer proxy([&](const std::string &request) {
    if (request.rfind("CONNECT ", 0) == 0) {
      RawServer::Reply tunnel{"HTTP/1.1 200 Connection established\r\n\r\n"};
      tunnel.again = true;
      return tunnel;
    }
    const std::string path = request.substr(request.find(' ') + 1);
    if (path.find("/guarded/") != std::string::npos &&
        request.find("Cookie: s=") == std::string::npos)
      return RawServer::Reply{"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"};
    if (path.rfind("/v/", 0) == 0) // the player host, through the tunnel
      return RawServer::Reply{"HTTP/1.1 303 See Other\r\nLocation: http://x/y.swf?video_id=x&t=1"
                              "\r\n\r\n"};
    const bool page = path.rfind("http://www.youtube.com/watch", 0) == 0;
    const std::string body =
        page ? "<embed src=\"/p.swf\" flashvars=\"a=1;http://www.youtube.com/v/x?video_id=x&l=1\">"
             : "video";
    return RawServer::Reply{RawResponse("HTTP/1.1 200 OK",
                                        "Content-Length: " + std::to_string(body.size()) + "\r\n",
                                        request.rfind("HEAD ", 0) == 0 ? "" : body)};
  });
  ::setenv("http_proxy", proxy.url("").c_str(), 1);
  NewEngine(1, false);
  engine->Add({"http://www.youtube.com/watch?v=x", "http://blog.example.org/clip.mp4"});
  EXPECT_EQ(RunPass().completed, 2);
  ::unsetenv("http_proxy");
  std::string asked;
  for (const std::string &request : proxy.Requests())
    asked += request.substr(0, request.find(" HTTP/")) +
             (request.find("User-Agent: " + std::string(net::ClientOptions::kBrowserAgent)) !=
                      std::string::npos
                  ? " (browser)"
                  : "") +
             ", ";
  EXPECT_EQ(asked, "GET http://www.youtube.com/watch?v=x, CONNECT www.youtube.com:80, "
                   "GET /v/x?video_id=x, HEAD http://www.youtube.com/get_video?video_id=x&t=1, "
                   "GET http://www.youtube.com/get_video?video_id=x&t=1, "
                   "HEAD http://blog.example.org/clip.mp4 (browser), "
                   "GET http://blog.example.org/clip.mp4 (browser), ");
  NewEngine(1, false);
  Configure([&](engine::Config &c) {
    c.proxy = proxy.url("");
    c.referer = "http://referer.example/";
  });
  ::setenv("http_proxy", "http://127.0.0.1:1", 1); // no proxy there: the user's own wins
  engine->Add({"http://blog.example.org/other.mp4"});
  EXPECT_EQ(RunPass().completed, 1);
  ::unsetenv("http_proxy");
  EXPECT_NE(proxy.Requests().back().find("Referer: http://referer.example/"), std::string::npos);

  // What a browser gave one item goes with that item's requests alone, and into no list file.
  const std::size_t before = proxy.Requests().size();
  engine->Add({"http://blog.example.org/guarded/a.mp4", "http://blog.example.org/b.mp4"});
  engine->SetRequest(Item(1).serial, {"http://blog.example.org/watch",
                                      "Its browser",
                                      {"blog.example.org\tFALSE\t/\tFALSE\t0\ts\ts3cret"}});
  EXPECT_EQ(RunPass().completed, 2);
  const std::vector<std::string> requests = proxy.Requests();
  for (std::size_t i = before; i < requests.size(); ++i) {
    const bool own = requests[i].find("/guarded/a.mp4 ") != std::string::npos;
    for (const char *header : {"Cookie: s=s3cret\r\n", "Referer: http://blog.example.org/watch\r\n",
                               "User-Agent: Its browser\r\n"})
      EXPECT_EQ(requests[i].find(header) != std::string::npos, own) << header << requests[i];
  }
  ASSERT_TRUE(engine->SaveList(dir / "list.json"));
  EXPECT_EQ(testing::ReadFile(dir / "list.json").find("s3cret"), std::string::npos);

  // After a restart it is gone: a refusal of such an item says so, of a copied address not.
  testing::WriteFile(dir / "restarted.json",
                     R"({"vidtrawl list": 1, "items": [{"address": "http://blog.example.org/)"
                     R"(guarded/c.mp4", "phase": "waiting", "handed over": true}, {"address": )"
                     R"("http://blog.example.org/guarded/d.mp4", "phase": "waiting"}]})");
  NewEngine(1, false);
  Configure([&](engine::Config &c) { c.proxy = proxy.url(""); });
  ASSERT_EQ(Loaded(dir / "restarted.json"), "read 2 0");
  EXPECT_EQ(RunPass().failed, 2);
  EXPECT_EQ(engine::ReasonText(Item(0)),
            "the server answered 403 (the browser's cookies for it are gone since the program "
            "restarted: send it again from the browser)");
  EXPECT_EQ(engine::ReasonText(Item(1)), "the server answered 403");
}

// A request that ends is its owner's: a page resolved on its own while a pass waits on a slow
// header request ends at once, and so does that request, each with its own answer.
TEST_F(DownloadPassTest, RequestsInFlightEndIndependently) {
  Serve("/page/slow", "<param value=\"http://media.putfile.com/files/slow.flv\">");
  Serve("/files/slow.flv", [](bool head) {
    return RawServer::Reply{
        RawResponse("HTTP/1.1 200 OK", "Content-Length: 4\r\nX-A: 1\r\n", head ? "" : "slow"),
        false, head ? 150ms : 0ms};
  });
  engine->Add({"http://www.putfile.com/page/slow"});
  const std::string other = ServeVideo(*this, "other", "x");
  engine->StartPass();
  ASSERT_TRUE(RunUntil([&] { return Item(0).phase == Phase::Asking; }));
  std::optional<engine::Resolution> resolution;
  engine->ResolvePage(other, [&](const engine::Resolution &r) { resolution = r; });
  const auto start = std::chrono::steady_clock::now();
  RunUntil([&] { return resolution.has_value() && !engine->Downloading(); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(resolution->Text(), "http://media.putfile.com/files/other.flv");
  EXPECT_EQ(Items(), "slow slow.flv Complete 4 Bytes");
}

// A stop ends every running download at once, in whichever wait each is, while the servers say
// nothing or a hostile page is searched: those items are "Cancelled" (keeping their bytes), later
// items keep their state, and nothing more is asked for.
TEST_F(DownloadPassTest, AStopCancelsEveryRunningItemAtOnce) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 400000\r\n\r\n";
  const auto silentOn = [&](bool headRequest, bool someBytes = false) {
    return [head, headRequest, someBytes](bool isHead) {
      if (isHead != headRequest)
        return RawServer::Reply{head};
      return RawServer::Reply{someBytes ? head + std::string(10000, 'v') : "", true};
    };
  };
  Serve("/page/p", silentOn(false));
  ServeVideo(*this, "h", "h");
  Serve("/files/h.flv", silentOn(true));
  Serve("/watch",
        "<embed src=\"/p.swf\" flashvars=\"a=1;http://www.youtube.com/v/x?video_id=x&l=1\">");
  Serve("/v/x", silentOn(false));
  ServeVideo(*this, "t", "t");
  Serve("/files/t.flv", silentOn(false, true));
  std::string deep;
  for (int i = 0; i < 100000; ++i)
    deep += i % 2 ? "<div>" : "<b>";
  deep += "<video controls src=\"/files/deep.mp4\"></video>";
  const auto lastByte = ServeHeld("/deep", deep, deep.size() - 1);
  NewEngine(5);
  engine->Add({"http://www.putfile.com/page/p", "http://www.putfile.com/page/h",
               "http://www.youtube.com/watch?v=x", "http://www.putfile.com/page/t",
               "http://pages.example.net/deep"});
  AddVideo("later", "later");
  engine->StartPass();
  // The page, the header request, the player and the transfer each wait on their server; the
  // hostile page, all in at last, is being searched.
  const auto asked = [&](const std::string &request) {
    for (const std::string &seen : server.Requests())
      if (seen.rfind(request, 0) == 0)
        return true;
    return false;
  };
  ASSERT_TRUE(RunUntil([&] {
    return asked("GET /page/p ") && asked("HEAD /files/h.flv ") && asked("GET /v/x") &&
           Item(3).received > 0 && asked("GET /deep ");
  }));
  lastByte->open = true;
  ASSERT_TRUE(RunUntil([&] { return Item(4).pagePercent == 100; }));
  ASSERT_EQ(Item(4).phase, Phase::Resolving);
  const std::size_t before = server.Requests().size();
  const auto start = std::chrono::steady_clock::now();
  engine->RequestStop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
  EXPECT_FALSE(engine->Downloading());
  EXPECT_EQ(Statuses(),
            "p Cancelled,h Cancelled,watch?v=x Cancelled,t Cancelled,deep Cancelled,later Waiting");
  loop.RunOnce(50ms);
  EXPECT_EQ(server.Requests().size(), before);
  EXPECT_EQ(fs::file_size(Saved("t.flv.vidtrawl-part")), 10000u);
  engine->RequestStop(); // no pass runs: nothing to stop, the next one runs
  engine->Remove({Item(0).serial, Item(1).serial, Item(2).serial, Item(3).serial, Item(4).serial});
  EXPECT_EQ(RunPass().completed, 1);
  EXPECT_FALSE(asked("HEAD /files/deep.mp4")) << "the stopped search's video";
}

// Retry decides an item's site again from its address; removing an item that holds a partial file
// removes that file, and nothing that is not its own.
TEST_F(DownloadPassTest, RetryAndRemoveStartClean) {
  // A file's address its server once answered with a page was searched as one.
  Serve("/clips/harbour.mp4", "<html>Not yet</html>", true, "text/html");
  engine->Add({"http://media.example.net/clips/harbour.mp4"});
  EXPECT_EQ(RunPass().failed, 1);
  EXPECT_EQ(engine::ReasonText(Item(0)), "no video found on this page");
  Serve("/clips/harbour.mp4", "the film", true, "video/mp4");
  engine->Retry({Item(0).serial});
  EXPECT_EQ(RunPass().completed, 1) << Items();

  // A stopped download's partial file goes with its item; another address's of the same name
  // stays, and so does a complete file.
  auto gate = ServeHeld("/a/clip.mp4", Pattern(1 << 20), 1000);
  auto other = ServeHeld("/b/clip.mp4", Pattern(1 << 20, 2), 1000);
  engine->Add({"http://media.example.net/a/clip.mp4", "http://media.example.net/b/clip.mp4"});
  engine->StartPass();
  UntilReceiving(1);
  UntilReceiving(2);
  // Retry leaves a running item as it is: no second job, no second request for its file.
  const auto gets = [&] {
    const std::vector<std::string> requests = server.Requests();
    return std::count_if(requests.begin(), requests.end(), [](const std::string &request) {
      return request.rfind("GET /a/clip.mp4", 0) == 0;
    });
  };
  engine->Retry({Item(0).serial, Item(1).serial});
  loop.RunOnce(50ms);
  EXPECT_EQ(gets(), 1);
  EXPECT_EQ(engine->RunningItems(), (std::vector<engine::Serial>{Item(1).serial, Item(2).serial}));
  engine->RequestStop();
  const auto part = [&](std::size_t index) {
    return Saved(Item(index).partName + engine::kPartialSuffix);
  };
  const std::filesystem::path mine = part(1), another = part(2);
  ASSERT_TRUE(std::filesystem::exists(mine));
  ASSERT_TRUE(std::filesystem::exists(another));
  engine->Remove({Item(0).serial, Item(1).serial});
  EXPECT_FALSE(std::filesystem::exists(mine));
  EXPECT_TRUE(std::filesystem::exists(another));
  EXPECT_TRUE(std::filesystem::exists(Saved("harbour.mp4")));
  gate->open = other->open = true;
}

// The queue as the user drives it: fewer at once sends the last running items back to waiting
// with their bytes, and the pass takes them up later by range; an item started alone is taken
// alone (those waiting beside it stay), and so is one retried; a selection paused leaves its
// complete items complete; with nothing left to do there is nothing to start. The pass's progress
// adds its items up.
TEST_F(DownloadPassTest, TheQueueBehaves) {
  std::vector<std::shared_ptr<RawServer::Gate>> gates;
  for (const std::string name : {"a", "b", "c"}) {
    AddVideo(name, "");
    gates.push_back(ServeHeld("/files/" + name + ".flv", Pattern(60000), 20000));
  }
  engine->StartPass();
  ASSERT_TRUE(RunUntil([&] {
    return Item(0).received == 20000 && Item(1).received == 20000 && Item(2).received == 20000;
  }));
  EXPECT_EQ(engine->Progress().bytesLeft, 3u * 40000);
  EXPECT_EQ(engine->Progress().unsized, 0u);
  Configure([](engine::Config &c) { c.simultaneousDownloads = 1; });
  EXPECT_EQ(Statuses(), "a 33,b Waiting,c Waiting");
  EXPECT_EQ(Item(2).received, 20000u);
  EXPECT_EQ(engine->Progress().bytesLeft, 3u * 40000);
  for (const auto &gate : gates)
    gate->open = true;
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(Statuses(), "a Complete,b Complete,c Complete");
  const std::vector<std::string> requests = server.Requests();
  for (const char *name : {"/files/b.flv", "/files/c.flv"})
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [&](const std::string &request) {
                              return request.find(name) != std::string::npos &&
                                     request.find("Range: bytes=20000-") != std::string::npos;
                            }),
              1)
        << name;
  EXPECT_EQ(engine->Progress().bytesLeft, 0u);
  AddVideo("d", "d");
  AddVideo("e", "e");
  engine->Add({"http://www.putfile.com/page/f"}); // no such page yet
  ASSERT_TRUE(engine->Start({Item(4).serial, Item(5).serial, Item(0).serial}));
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(Statuses(), "a Complete,b Complete,c Complete,d Waiting,e Complete,f ERROR");
  ServeVideo(*this, "f", "f");
  engine->Retry({Item(5).serial});
  EXPECT_TRUE(engine->Downloading());
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(Statuses(), "a Complete,b Complete,c Complete,d Waiting,e Complete,f Complete");
  EXPECT_TRUE(engine->AnyToDownload());
  engine->Pause({Item(0).serial, Item(3).serial}); // a selection: what is done stays done
  EXPECT_EQ(Statuses(), "a Complete,b Complete,c Complete,d Paused,e Complete,f Complete");
  EXPECT_FALSE(engine->AnyToDownload());
  EXPECT_FALSE(engine->Start({Item(3).serial, Item(4).serial}));
}

// After a restart the item the last run was receiving waits again with its bytes; "Resume at start"
// goes on with it by a range request, and without it the item waits to be started.
TEST_F(DownloadPassTest, ResumeAtStartGoesOnByRange) {
  const std::string body = Pattern(60000, 6);
  AddVideo("clip", "");
  auto gate = ServeHeld("/files/clip.flv", body, 20000);
  engine->StartPass();
  ASSERT_TRUE(RunUntil([&] { return Item(0).received == 20000; }));
  const fs::path file = dir / "list.json";
  ASSERT_TRUE(engine->SaveList(file));
  const std::string folder = engine->DownloadDir();
  for (const bool resume : {false, true}) {
    NewEngine();
    Configure([&](engine::Config &c) {
      c.downloadDir = folder;
      c.resumeAtStart = resume;
    });
    EXPECT_EQ(Loaded(file), "read 1 0");
    EXPECT_EQ(Statuses(), "clip Waiting");
    EXPECT_EQ(Item(0).received, 20000u);
    gate->open = resume;
    EXPECT_EQ(engine->ResumeAtStart(), resume);
  }
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_TRUE(ReadFile(Saved("clip.flv")) == body);
  EXPECT_NE(server.Requests().back().find("\r\nRange: bytes=20000-\r\n"), std::string::npos);
}

// A complete item's new name is its file's: renamed on disk, never over another file, refused with
// its reason when the name is taken or the file is gone. A running item removed with its bytes
// kept leaves its partial file, and the same address added later goes on from it.
TEST_F(DownloadPassTest, FilesFollowTheList) {
  AddVideo("clip", "the film");
  RunPass();
  WriteFile(Saved("taken.flv"), "another");
  using Refusal = engine::RenameOutcome::Refusal;
  const std::tuple<const char *, Refusal, const char *> renames[] = {
      {"taken.flv", Refusal::Taken, "clip.flv"},
      {"???", Refusal::NoName, "clip.flv"},
      {"new:.flv", Refusal::None, "new.flv"},
      {"gone.flv", Refusal::FileGone, "new.flv"}};
  for (const auto &[typed, refusal, name] : renames) {
    if (refusal == Refusal::FileGone) {
      EXPECT_EQ(ReadFile(Saved("new.flv")), "the film");
      EXPECT_FALSE(fs::exists(Saved("clip.flv")));
      fs::remove(Saved("new.flv"));
    }
    EXPECT_EQ(engine->Rename(Item(0).serial, typed).refusal, refusal) << typed;
    EXPECT_EQ(Item(0).fileName, name) << typed;
  }
  EXPECT_EQ(ReadFile(Saved("taken.flv")), "another");

  const std::string body = Pattern(60000, 7);
  AddVideo("held", "");
  auto gate = ServeHeld("/files/held.flv", body, 20000);
  engine->StartPass();
  ASSERT_TRUE(RunUntil([&] { return Item(1).received == 20000; }));
  const fs::path part = Saved(Item(1).partName + engine::kPartialSuffix);
  engine->Remove({Item(1).serial}, engine::Leftovers::Keep);
  RunUntil([&] { return !engine->Downloading(); });
  EXPECT_EQ(engine->Count(), 1u);
  EXPECT_EQ(fs::file_size(part), 20000u);
  gate->open = true;
  engine->Add({"http://www.putfile.com/page/held"});
  EXPECT_EQ(RunPass().completed, 1);
  EXPECT_TRUE(ReadFile(Saved("held.flv")) == body);
  EXPECT_NE(server.Requests().back().find("\r\nRange: bytes=20000-\r\n"), std::string::npos);
}

// A list file is input like any other: names keep their bytes and are cleaned as a rename cleans
// them, and what the list cannot hold is told.
TEST_F(DownloadPassTest, AKeptListIsReadAsCarefullyAsAnyInput) {
  // A server's name in Latin-1 comes back byte for byte.
  ServeRequests("/files/latin.mp4", [](const std::string &request) {
    return RawServer::Reply{
        RawResponse("HTTP/1.1 200 OK",
                    "Content-Disposition: attachment; filename=\"caf\xe9.flv\"\r\n"
                    "Content-Length: 3\r\n",
                    request.rfind("HEAD", 0) == 0 ? "" : "abc")};
  });
  engine->Add({"http://media.example.net/files/latin.mp4"});
  EXPECT_EQ(RunPass().completed, 1);
  ASSERT_EQ(Item(0).fileName, "caf\xe9.flv");
  const std::filesystem::path file = dir / "list.json";
  ASSERT_TRUE(engine->SaveList(file));
  NewEngine();
  EXPECT_EQ(Loaded(file), "read 1 0");
  EXPECT_EQ(Item(0).fileName, "caf\xe9.flv");

  // Edited by hand: names that are paths, an address too long to be one, more items than fit.
  std::string text = "{\"vidtrawl list\": 1, \"items\": [{\"address\": \"http://a.example/1.mp4\", "
                     "\"phase\": \"cancelled\", \"file name\": \"../../x.mp4\", \"partial name\": "
                     "\"/tmp/y.mp4\"}, {\"address\": \"http://a.example/" +
                     std::string(9000, 'a') + "\", \"phase\": \"waiting\"}";
  for (std::size_t i = 0; i < engine::kListCapacity; ++i)
    text +=
        ", {\"address\": \"http://a.example/" + std::to_string(i) + "\", \"phase\": \"waiting\"}";
  WriteFile(file, text + "]}");
  NewEngine();
  EXPECT_EQ(Loaded(file), "read 32769 2");
  EXPECT_EQ(engine->Count(), engine::kListCapacity);
  EXPECT_EQ(Item(0).fileName, "x.mp4");
  EXPECT_EQ(Item(0).partName, "tmpy.mp4");
}

// The list kept between runs: what a pass left comes back as it was, an item that was being worked
// on comes back waiting, the rule in force decides what is supported; a file that is no such list
// leaves the list empty, is kept aside and is told.
TEST_F(DownloadPassTest, TheListComesBackFromItsFile) {
  AddVideo("done", "abc");
  engine->Add({"http://media.example.net/x.mp4", "ftp://example.net/y"});
  RunPass(); // the video file's host does not answer
  engine->Add({"http://media.example.net/z.mp4"});
  ASSERT_TRUE(engine->Rename(Item(3).serial, "mine.mp4"));
  const std::filesystem::path file = dir / "data/list.json";
  ASSERT_TRUE(engine->SaveList(file));
  const std::string before = Items();
  // The text of an item at work, as a killed program leaves it.
  std::string text = ReadFile(file);
  text.replace(text.find("\"failed\""), 8, "\"transferring\"");
  WriteFile(dir / "data/running.json", text);
  for (const bool known : {false, true}) {
    NewEngine();
    Configure([&](engine::Config &c) { c.knownSitesOnly = known; });
    EXPECT_EQ(Loaded(file), "read 4 0");
    EXPECT_EQ(Items(), known ? before.substr(0, before.rfind(',')) +
                                   ",z.mp4 mine.mp4 Link is not supported ????"
                             : before);
  }
  NewEngine();
  EXPECT_EQ(Loaded(dir / "data/running.json"), "read 4 0");
  EXPECT_EQ(StatusText(Item(1)), "Waiting");
  const std::string good = "{\"address\": \"http://a.example/v.mp4\", \"phase\": \"waiting\"}";
  const std::pair<std::string, std::string> damaged[] = {
      {"{\"vidtrawl list\": 1, \"items\": [{\"phase\": 7}]}", "5 1 list.json.damaged"},
      {"{\"vidtrawl list\": 1, \"items\": [" + good + ", 5]}", "5 2 list.json.damaged-2"},
      {"{\"vidtrawl list\": 1, \"items\": {}}", "4 0 list.json.damaged-3"},
      {"{\"vidtrawl list\": 2, \"items\": []}", "3 0 list.json.damaged-4"},
      {"[]", "2 0 list.json.damaged-5"},
  };
  for (const auto &[text, problem] : damaged) {
    NewEngine();
    WriteFile(file, text);
    EXPECT_EQ(Loaded(file), "damaged " + problem) << text;
    EXPECT_TRUE(engine->Empty());
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(ReadFile(dir / "data/list.json.damaged-5"), "[]");
  // Too large to be a list (sparse: on no disk) is kept aside too; a folder in its place is left.
  WriteFile(file, "{}");
  std::filesystem::resize_file(file, list::kMaxListFile + 1);
  NewEngine();
  EXPECT_EQ(Loaded(file), "damaged 1 0 list.json.damaged-6");
  EXPECT_EQ(std::filesystem::file_size(dir / "data/list.json.damaged-6"), list::kMaxListFile + 1);
  std::filesystem::create_directory(file);
  EXPECT_EQ(Loaded(file), "unreadable");
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

} // namespace
} // namespace vidtrawl::testing
