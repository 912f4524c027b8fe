// The download pass through the engine's face, over a server that plays every site: what each
// item becomes and why, the files it leaves, the edits and stops the user makes while it runs.
#include "support/EngineFixture.h"

#include <atomic>
#include <set>
#include <sstream>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using engine::Phase;

class DownloadPassTest : public EngineFixture {
protected:
  // Runs `action` once from inside the pass, when the item at `index` receives its file.
  void WhenReceiving(std::size_t index, std::function<void()> action) {
    pump.action = [this, index, action, done = false](long) mutable {
      if (!done && index < engine->List().Count() && Item(index).phase == Phase::Transferring) {
        done = true;
        action();
      }
    };
  }
};

TEST_F(DownloadPassTest, EveryUnfinishedItemIsReceivedIntoItsFolder) {
  engine->SetDownloadDir((dir / "deep/er/videos").string());
  AddVideo("known", Pattern(100000));
  AddVideo("unknown", Pattern(50000, 2), false);
  engine->Add({"ftp://www.example.org/x", "http://media.example.net/files/known.flv?dl=1"});
  std::set<std::string> seen;
  pump.action = [&](long) {
    for (const engine::Item &item : engine->List().Items())
      seen.insert(engine::StatusText(item));
  };
  EXPECT_EQ(engine->RunPass().completed, 3);
  EXPECT_FALSE(engine->Downloading());
  // A page's progress is measured against its own length; a page is fetched without a header
  // request, a video file with one.
  for (const char *status :
       {"Preparing (0%)", "Preparing (100%)", "Start Downloading...", "100", "48.8 KB so far.."})
    EXPECT_TRUE(seen.count(status)) << status;
  const auto requests = server.Requests();
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests[0].substr(0, 16) + requests[1].substr(0, 22) + requests[2].substr(0, 20),
            "GET /page/known HEAD /files/known.flv GET /files/known.flv");
  EXPECT_EQ(Items(),
            "known known.flv Complete 97.7 KB,unknown unknown.flv Complete 48.8 KB,"
            "x Un supported link ERROR ????,known.flv?dl=1 known (2).flv Complete 97.7 KB");
  EXPECT_EQ(ReadFile(Saved("known.flv")), Pattern(100000));
  EXPECT_EQ(ReadFile(Saved("unknown.flv")), Pattern(50000, 2));
  // A second pass touches no finished item.
  pump.calls = 0;
  EXPECT_EQ(engine->RunPass().completed, 0);
  EXPECT_EQ(pump.calls, 0);
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
  engine->RunPass();
  std::string reasons;
  for (const engine::Item &item : engine->List().Items())
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
  for (const engine::Item &item : engine->List().Items())
    EXPECT_EQ(item.phase, Phase::Failed) << item.address;
  // A folder that cannot be made fails the item, with why.
  NewEngine();
  WriteFile(dir / "afile", "x");
  engine->SetDownloadDir((dir / "afile/videos").string());
  AddVideo("fine", "fine");
  engine->RunPass();
  EXPECT_EQ(engine::ReasonText(Item(0)),
            "cannot create " + (dir / "afile/videos/fine.flv.vidtrawl-part").string() +
                ": Not a directory");
}

// Items whose videos carry one name are saved under free variants of it, also when the item that
// completed the name has left the list, and so is an item whose name the folder holds: nothing
// there is replaced.
TEST_F(DownloadPassTest, NoTwoItemsShareAFile) {
  for (const std::string page : {"x", "y", "z"}) {
    Serve("/page/" + page, "<param value=\"http://media.putfile.com/" + page + "/clip.flv\">");
    Serve("/" + page + "/clip.flv", "video " + page);
    engine->Add({"http://www.putfile.com/page/" + page});
  }
  fs::create_directories(engine->DownloadDir());
  WriteFile(Saved("clip.flv"), "there before");
  pump.action = [&](long) {
    if (engine->List().Count() == 3 && Item(2).phase == Phase::Preparing)
      engine->Remove({Item(0).serial});
  };
  engine->RunPass();
  EXPECT_EQ(Items(), "y clip (3).flv Complete 7 Bytes,z clip (4).flv Complete 7 Bytes");
  EXPECT_EQ(ReadFile(Saved("clip.flv")), "there before");
  EXPECT_EQ(ReadFile(Saved("clip (2).flv")), "video x");
  EXPECT_EQ(ReadFile(Saved("clip (4).flv")), "video z");
}

// Edits the user makes while an item is received: every item keeps its own outcome, items appended
// are reached, a pass that gets to the last item noted at its start by skipping ends there, and a
// removed item's transfer ends at once.
TEST_F(DownloadPassTest, EditsDuringATransfer) {
  const struct {
    const char *before;  // videos; "=name": complete already
    std::size_t running; // the edit comes once this item receives
    const char *edit;    // "+": the late video is added; "-N": item N (from 0) removed; "down"
    const char *after;   // "page status", in list order
  } cases[] = {
      {"a", 0, "+", "a Complete,late Complete"},
      {"a,=done", 0, "+", "a Complete,done Complete,late Waiting"},
      {"a,=d1,=d2", 0, "-1 +", "a Complete,d2 Complete,late Waiting"},
      {"a,b", 0, "-0 -1", ""},
      {"a,b", 0, "-0", "b Complete"},
      {"=old,a,b", 1, "-0", "a Complete,b Complete"},
      {"=x,a,b", 1, "-1 -0", "b Complete"},
      {"a,b", 0, "down", "b Complete,a Complete"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.edit) + " on " + c.before);
    pump.action = nullptr;
    NewEngine();
    ServeVideo(*this, "late", "late");
    // The finished items complete in a pass of their own; then each other one comes, moved up
    // past the finished ones after it.
    std::vector<std::string> names;
    std::istringstream before(c.before);
    for (std::string item; std::getline(before, item, ',');)
      names.push_back(item);
    for (const std::string &name : names)
      if (name[0] == '=')
        AddVideo(name.substr(1), "done");
    engine->RunPass();
    for (std::size_t place = 0; place < names.size(); ++place)
      if (names[place][0] != '=') {
        AddVideo(names[place], Pattern(names[place] == "a" ? 400000 : 1000));
        const engine::Serial added = engine->List().Items().back().serial;
        for (std::size_t next = place + 1; next < names.size(); ++next)
          if (names[next][0] == '=')
            engine->MoveUp(added);
      }
    bool edited = false;
    WhenReceiving(c.running, [&] {
      edited = true;
      std::istringstream words(c.edit);
      std::vector<engine::Serial> serials;
      for (const engine::Item &item : engine->List().Items())
        serials.push_back(item.serial);
      for (std::string word; words >> word;)
        if (word == "+")
          engine->Add({"http://www.putfile.com/page/late"});
        else if (word == "down")
          engine->MoveDown(serials[0]);
        else
          engine->Remove({serials[std::stoul(word.substr(1))]});
    });
    engine->RunPass();
    EXPECT_TRUE(edited);
    std::string after;
    for (const engine::Item &item : engine->List().Items())
      after += (after.empty() ? "" : ",") + item.address.substr(item.address.rfind('/') + 1) + " " +
               engine::StatusText(item);
    EXPECT_EQ(after, c.after);
    if (std::string(c.edit) == "-0 -1") { // the running item went: its transfer ended at once
      EXPECT_FALSE(fs::exists(Saved("a.flv")));
      EXPECT_LT(fs::file_size(Saved("a.flv.vidtrawl-part")), 400000u);
    }
  }
}

// A stop ends the pass at once, in whichever wait it comes, while the server says nothing: the item
// worked on is "Cancelled" (keeping its bytes), later items keep their state, and nothing more is
// asked for.
TEST_F(DownloadPassTest, AStopCancelsTheItemWhereverItIs) {
  std::atomic<bool> asked = false; // the server has the HEAD or GET it leaves unanswered
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 400000\r\n\r\n";
  const auto silentOn = [&](bool headRequest, bool someBytes = false) {
    return [&, headRequest, someBytes](bool isHead) {
      if (isHead != headRequest)
        return RawServer::Reply{head};
      asked = true;
      return RawServer::Reply{someBytes ? head + std::string(10000, 'v') : "", true};
    };
  };
  const std::tuple<const char *, const char *, std::function<void()>> cases[] = {
      {"page", "http://www.putfile.com/page/a", [&] { Serve("/page/a", silentOn(false)); }},
      {"header request", "http://www.putfile.com/page/a",
       [&] { Serve("/files/a.flv", silentOn(true)); }},
      {"player", "http://www.youtube.com/watch?v=x",
       [&] {
         Serve(
             "/watch",
             "<embed src=\"/p.swf\" flashvars=\"a=1;http://www.youtube.com/v/x?video_id=x&l=1\">");
         Serve("/v/x", silentOn(false));
       }},
      {"transfer", "http://www.putfile.com/page/a",
       [&] { Serve("/files/a.flv", silentOn(false, true)); }},
  };
  for (const auto &[during, address, silence] : cases) {
    SCOPED_TRACE(during);
    NewEngine();
    ServeVideo(*this, "a", "a");
    silence();
    engine->Add({address});
    AddVideo("b", "b");
    asked = false;
    pump.action = [&](long) {
      if (asked && (std::string(during) != "transfer" || Item(0).received > 0))
        engine->RequestStop();
    };
    const std::size_t before = server.Requests().size();
    const auto start = std::chrono::steady_clock::now();
    engine->RunPass();
    // At once: in milliseconds, where a wait that ignored the stop would last its minute.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(engine::StatusText(Item(0)), "Cancelled");
    EXPECT_EQ(engine::StatusText(Item(1)), "Waiting");
    EXPECT_LE(server.Requests().size() - before, 3u);
  }
  EXPECT_GT(fs::file_size(Saved("a.flv.vidtrawl-part")), 0u);
  pump.action = nullptr;
  ServeVideo(*this, "a", "a");
  engine->RequestStop(); // no pass runs: nothing to stop, the next one runs whole
  EXPECT_EQ(engine->RunPass().completed, 2);
}

// The list kept between runs: what a pass left comes back as it was, an item that was being worked
// on comes back cancelled, the rule in force decides what is supported; a file that is no such list
// leaves the list empty, is kept aside and is told.
TEST_F(DownloadPassTest, TheListComesBackFromItsFile) {
  AddVideo("done", "abc");
  engine->Add({"http://media.example.net/x.mp4", "ftp://example.net/y"});
  engine->RunPass(); // the video file's host does not answer
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
    engine->SetKnownSitesOnly(known);
    EXPECT_EQ(engine->LoadList(file), "");
    EXPECT_EQ(Items(), known ? before.substr(0, before.rfind(',')) +
                                   ",z.mp4 mine.mp4 Link is not supported ????"
                             : before);
  }
  NewEngine();
  EXPECT_EQ(engine->LoadList(dir / "data/running.json"), "");
  EXPECT_EQ(StatusText(Item(1)), "Cancelled");
  for (const std::string damaged : {"{\"vidtrawl list\": 1, \"items\": [{\"phase\": 7}]}", "[]"}) {
    NewEngine();
    WriteFile(file, damaged);
    EXPECT_NE(engine->LoadList(file).find("could not be read"), std::string::npos);
    EXPECT_TRUE(engine->List().Empty());
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(ReadFile(dir / "data/list.json.damaged-2"), "[]");
}

} // namespace
} // namespace vidtrawl::testing
