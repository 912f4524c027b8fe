#include "scheduler/DownloadPass.h"

#include "list/Status.h"
#include "support/EngineFixture.h"

#include <cctype>

using namespace vidtrawl;
using vidtrawl::testing::Pattern;
using vidtrawl::testing::ReadFile;
using vidtrawl::testing::WriteFile;
namespace fs = std::filesystem;

namespace {

bool IsTransferStatus(const std::string &status) {
  if (status.empty())
    return false;
  if (status.size() > 9 && status.compare(status.size() - 9, 9, " so far..") == 0)
    return true;
  for (char c : status)
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  return true;
}

class DownloadPassTest : public vidtrawl::testing::EngineFixture {
protected:
  // A PutFile page at /page/NAME pointing at /files/NAME.flv, with that file.
  std::string AddVideo(const std::string &name, const std::string &body, bool sized = true) {
    Serve("/page/" + name, "<param value=\"http://media.putfile.com/files/" + name + ".flv\">");
    if (sized)
      Serve("/files/" + name + ".flv", body);
    else
      ServeUnsized("/files/" + name + ".flv", body);
    const std::string page = "http://www.putfile.com/page/" + name;
    engine->adder.AddLink(page);
    return page;
  }
  fs::path Saved(const std::string &name) const {
    return fs::path(engine->settings.sDownloadDir) / (name + ".flv");
  }
  std::string Status(std::size_t index) { return engine->items[index].Status; }
  void Run() { engine->pass.StartDownloading(); }
};

} // namespace

TEST_F(DownloadPassTest, DownloadsEveryUnfinishedItemIntoANewFolder) {
  engine->settings.sDownloadDir = (dir.path() / "deep" / "er" / "videos").string();
  const std::string a = Pattern(200000, 1), b = Pattern(2049, 2);
  AddVideo("a", a);
  AddVideo("b", b);
  bool downloadingSeen = false;
  pump.action = [&](long) { downloadingSeen = downloadingSeen || engine->state.bDownloading; };
  Run();
  EXPECT_TRUE(downloadingSeen);
  EXPECT_FALSE(engine->state.bDownloading);
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Complete");
  EXPECT_EQ(ReadFile(Saved("a")), a);
  EXPECT_EQ(ReadFile(Saved("b")), b);
  EXPECT_EQ(grid.Texts().at(1)[3], "Complete");
  EXPECT_EQ(engine->items[0].FileSize, "195.3 KB");
}

TEST_F(DownloadPassTest, FinishedItemsAreLeftAlone) {
  engine->items.AddItem("http://www.putfile.com/page/x", "x.flv", "Complete", "1 KB");
  engine->items.AddItem("http://www.putfile.com/page/y", "y.flv", "ERROR", "????");
  const auto before = engine->items.Items();
  Run();
  EXPECT_EQ(engine->items.Items(), before);
  EXPECT_FALSE(engine->state.bDownloading);
  EXPECT_FALSE(fs::exists(Saved("x")));
}

TEST_F(DownloadPassTest, ProgressStatusesFollowTheSizeText) {
  AddVideo("known", Pattern(100000));
  AddVideo("unknown", Pattern(50000), false);
  std::vector<std::string> seen0, seen1;
  pump.action = [&](long) {
    for (auto [index, seen] : {std::pair{0, &seen0}, std::pair{1, &seen1}}) {
      const std::string status = engine->items[index].Status;
      if (IsTransferStatus(status) && (seen->empty() || seen->back() != status))
        seen->push_back(status);
    }
  };
  Run();
  ASSERT_FALSE(seen0.empty());
  EXPECT_EQ(seen0.back(), "100");
  ASSERT_FALSE(seen1.empty());
  EXPECT_EQ(seen1.back(), "48.8 KB so far..");
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Complete");
  EXPECT_EQ(engine->items[1].FileSize, "48.8 KB"); // "0" until the size was known
}

TEST_F(DownloadPassTest, PreparingPercentagesUseTheLastKnownSize) {
  // The first fetch measures the page against its own size; the second one
  // against the size the previous item's header request left behind.
  const std::string page1 =
      "<param value=\"http://media.putfile.com/files/one.flv\">" + std::string(6000, ' ');
  Serve("/page/one", page1);
  Serve("/files/one.flv", Pattern(100000));
  Serve("/page/two", "<param value=\"http://media.putfile.com/files/two.flv\">" +
                         std::string(4946, ' ')); // 5000 bytes: 5 % of 100000
  Serve("/files/two.flv", Pattern(10));
  engine->adder.AddLink("http://www.putfile.com/page/one");
  engine->adder.AddLink("http://www.putfile.com/page/two");
  std::set<std::string> preparing0, preparing1;
  pump.action = [&](long) {
    const auto current = engine->current.Find(engine->items);
    if (!engine->fetcher.GettingLink() || !current)
      return;
    (*current == 0 ? preparing0 : preparing1).insert(grid.Texts().at(*current)[3]);
  };
  Run();
  EXPECT_TRUE(preparing0.count("Preparing (100%)"));
  EXPECT_TRUE(preparing1.count("Preparing (5%)"));
  EXPECT_FALSE(preparing1.count("Preparing (100%)"));
}

TEST_F(DownloadPassTest, FailedTransfersMakeErrors) {
  // The page resolves, but the video cannot be opened.
  AddVideo("gone", "");
  {
    std::lock_guard<std::mutex> lock(mutex);
    content.erase("/files/gone.flv");
  }
  // HEAD finds no file (so the size text is "-1 Bytes") but GET delivers.
  Serve("/page/ghost", "<param value=\"http://media.putfile.com/files/ghost.flv\">");
  handlers["/files/ghost.flv"] = [](const httplib::Request &req, httplib::Response &res) {
    if (req.method == "HEAD") {
      res.status = 404;
      res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink &sink) {
        sink.done();
        return true;
      });
      return;
    }
    res.set_content("ghost bytes", "video/x-flv");
  };
  engine->adder.AddLink("http://www.putfile.com/page/ghost");
  // The server dies in the middle of the body.
  Serve("/page/cut", "<param value=\"http://media.putfile.com/files/cut.flv\">");
  handlers["/files/cut.flv"] = [](const httplib::Request &, httplib::Response &res) {
    res.set_content_provider(100000, "video/x-flv",
                             [](size_t offset, size_t, httplib::DataSink &sink) {
                               if (offset >= 40000)
                                 return false;
                               const std::string block(8000, 'c');
                               sink.write(block.data(), block.size());
                               return true;
                             });
  };
  engine->adder.AddLink("http://www.putfile.com/page/cut");

  AddVideo("fine", "fine");
  fs::create_directories(engine->settings.sDownloadDir);
  WriteFile(Saved("cut"), "earlier");

  Run();
  EXPECT_EQ(Status(0), "ERROR");
  EXPECT_EQ(engine->items[1].FileSize, "-1 Bytes");
  EXPECT_EQ(Status(1), "ERROR");
  EXPECT_EQ(ReadFile(Saved("ghost")), "ghost bytes");
  EXPECT_EQ(Status(2), "ERROR");
  EXPECT_EQ(engine->events.LastError(), "Could not read URL");
  // The partial bytes are kept as such, the earlier file stays as it was.
  EXPECT_EQ(ReadFile(Saved("cut").string() + ".part"), std::string(40000, 'c'));
  EXPECT_EQ(ReadFile(Saved("cut")), "earlier");
  EXPECT_EQ(Status(3), "Complete");
  // Why each failed goes to the log.
  ASSERT_EQ(messages.logged.size(), 3u) << ::testing::PrintToString(messages.logged);
  EXPECT_EQ(messages.logged[0].rfind("gone.flv: the server answered 404", 0), 0u)
      << messages.logged[0];
  EXPECT_EQ(messages.logged[1], "ghost.flv: the server reported no such file");
  EXPECT_EQ(messages.logged[2].rfind("cut.flv: ", 0), 0u);
}

// Items whose videos carry one name are saved under free variants of it,
// also when the item that completed the name has left the list; a file
// that was there before the pass is replaced by a complete download.
TEST_F(DownloadPassTest, NoTwoItemsShareAFile) {
  for (const std::string page : {"x", "y", "z"}) {
    Serve("/page/" + page, "<param value=\"http://media.putfile.com/" + page + "/clip.flv\">");
    Serve("/" + page + "/clip.flv", "video " + page);
    engine->adder.AddLink("http://www.putfile.com/page/" + page);
  }
  fs::create_directories(engine->settings.sDownloadDir);
  WriteFile(Saved("clip"), "there before");
  pump.action = [&](long) {
    if (engine->items.Count() == 3 && engine->items[2].Status.rfind("Preparing", 0) == 0) {
      engine->items.RemoveItem(1);
      engine->binder.BindList();
    }
  };
  Run();
  ASSERT_EQ(engine->items.Count(), 2u);
  EXPECT_EQ(Item(0).FileName, "clip (2).flv");
  EXPECT_EQ(Item(1).FileName, "clip (3).flv");
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(Status(1), "Complete");
  EXPECT_EQ(ReadFile(Saved("clip")), "video x");
  EXPECT_EQ(ReadFile(Saved("clip (2)")), "video y");
  EXPECT_EQ(ReadFile(Saved("clip (3)")), "video z");
}

TEST_F(DownloadPassTest, UnwritableFolderFailsTheItemInsteadOfCompletingIt) {
  vidtrawl::testing::WriteFile(dir / "afile", "x");
  engine->settings.sDownloadDir = (dir.path() / "afile" / "videos").string();
  AddVideo("a", Pattern(5000));
  Run();
  EXPECT_EQ(Status(0), "ERROR");
}

TEST_F(DownloadPassTest, ExistingFileIsReplaced) {
  const std::string body = Pattern(3000);
  AddVideo("a", body);
  fs::create_directories(engine->settings.sDownloadDir);
  vidtrawl::testing::WriteFile(Saved("a"), std::string(50000, 'o'));
  fs::permissions(Saved("a"), fs::perms::owner_read, fs::perm_options::replace);
  Run();
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(ReadFile(Saved("a")), body);
}

TEST_F(DownloadPassTest, AboutPageSwitchesTheMovieToDownloads) {
  engine->state.sActivePage = "About";
  Run();
  ASSERT_EQ(movie.sets.size(), 1u);
  EXPECT_EQ(movie.sets[0], (std::pair<std::string, std::string>{"_root.downloadBtnTab", "1"}));
}

TEST(SizeTextMeansFailure, FirstTwoCharactersAsANumber) {
  const struct {
    const char *text;
    bool failure;
  } cases[] = {{"-1 Bytes", true}, {"-1", true},   {"0", false},        {"1.5 KB", false},
               {"12 MB", false},   {"????", true}, {"", true},          {"-2 Bytes", false},
               {"1,5 KB", false},  {"-", true},    {" 5 Bytes", false}, {"-0", false}};
  for (const auto &c : cases)
    EXPECT_EQ(scheduler::DownloadPass::SizeTextMeansFailure(c.text), c.failure) << c.text;
}

TEST_F(DownloadPassTest, AddsDuringThePageFetchDoNotDisturbIt) {
  AddVideo("a", Pattern(1000));
  pump.action = [&](long) {
    if (engine->fetcher.GettingLink() && engine->items.Count() < 200)
      for (int n = 0; n < 50; ++n) // enough to move the list's storage
        engine->adder.AddLink("http://www.example.org/" + std::to_string(engine->items.Count()));
  };
  Run();
  EXPECT_EQ(Status(0), "Complete");
  EXPECT_EQ(ReadFile(Saved("a")), Pattern(1000));
}

TEST_F(DownloadPassTest, APageAddressThatDeliversTooMuchIsNoPage) {
  Serve("/page/huge", std::string(17 * 1024 * 1024, 'x'));
  engine->adder.AddLink("http://www.putfile.com/page/huge");
  Run();
  EXPECT_EQ(Status(0), "ERROR");
  EXPECT_EQ(engine->items[0].FileName, "Waiting (Auto Detect)"); // not fetched: -2
}

// Edits the user makes while an item is received: every item keeps its own
// outcome, items appended are reached, and a pass that gets to the last
// item noted at its start by skipping ends there.
TEST_F(DownloadPassTest, EditsDuringATransfer) {
  using Edit = std::function<void(scheduler::EngineParts &)>;
  const auto add = [](scheduler::EngineParts &e) {
    e.adder.AddLink("http://www.putfile.com/page/late");
  };
  const auto remove = [](std::vector<int> ids) {
    return [ids](scheduler::EngineParts &e) {
      for (const int id : ids)
        e.items.RemoveItem(id);
      e.binder.BindList();
    };
  };
  const struct {
    const char *name;
    std::vector<std::string> before; // a video of that name, or "=name": finished already
    std::size_t running;             // the edit comes once this item receives
    Edit edit;
    std::vector<std::string> after; // "name status", in list order
  } cases[] = {
      {"appended", {"a"}, 0, add, {"a Complete", "late Complete"}},
      {"appended after a finished last item",
       {"a", "=done"},
       0,
       add,
       {"a Complete", "done Complete", "late Waiting"}},
      {"a finished item removed, one appended",
       {"a", "=d1", "=d2"},
       0,
       [&](scheduler::EngineParts &e) {
         e.items.RemoveItem(2);
         add(e);
       },
       {"a Complete", "d2 Complete", "late Waiting"}},
      {"all removed",
       {"a", "b"},
       0,
       [](scheduler::EngineParts &e) {
         e.editor.SelectAll();
         e.editor.RemoveSelected();
       },
       {}},
      {"the running item removed", {"a", "b"}, 0, remove({1}), {"b Complete"}},
      {"an earlier item removed", {"=old", "a", "b"}, 1, remove({1}), {"a Complete", "b Complete"}},
      {"the running and an earlier item removed",
       {"=x", "a", "b"},
       1,
       remove({2, 1}),
       {"b Complete"}},
      {"the running item moved down",
       {"a", "b"},
       0,
       [](scheduler::EngineParts &e) {
         e.items.MoveItemDown(1);
         e.binder.BindList();
       },
       {"b Complete", "a Complete"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    pump.action = nullptr; // the last row's edit looks at that row's locals
    NewEngine();
    Serve("/page/late", "<param value=\"http://media.putfile.com/files/late.flv\">");
    Serve("/files/late.flv", "late");
    for (const std::string &item : c.before)
      if (item[0] == '=')
        engine->items.AddItem("http://www.putfile.com/page/" + item.substr(1),
                              item.substr(1) + ".flv", "Complete", "1 KB");
      else
        AddVideo(item, Pattern(item == "a" ? 300000 : 1000));
    bool edited = false;
    pump.action = [&](long) {
      if (!edited && c.running < engine->items.Count() &&
          IsTransferStatus(engine->items[c.running].Status)) {
        edited = true;
        c.edit(*engine);
      }
    };
    Run();
    EXPECT_TRUE(edited);
    EXPECT_FALSE(engine->state.bDownloading);
    std::vector<std::string> after;
    for (const auto &item : engine->items)
      after.push_back(item.Video_URL.substr(item.Video_URL.rfind('/') + 1) + " " + item.Status);
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(grid.RowCount(), static_cast<int>(engine->items.Count()));
  }
}
