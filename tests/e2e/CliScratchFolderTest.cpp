// vidtrawl-cli run the way services and scripts run it, where the usual
// folder for fetched pages is missing, read-only or not the user's own: the
// downloads end complete, the user is told why once, and nothing is written
// outside the user's own folders.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/LocalServer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using cli::TheDemoSite;

std::size_t Count(const std::string &text, const std::string &part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(CliScratchFolder, PagesFindAPrivateFolderAndTheUserIsToldWhyOnce) {
  struct Case {
    const char *name;
    bool asNobody; // else as root, who may write anywhere
    bool homeSet;
    bool linkPlanted; // the pages' folder in the home links to another folder
    std::string said;
  };
  TempDir base;
  const Case cases[] = {
      {"HOME unset, as a system service runs", true, false, false, "cannot create /nonexistent"},
      {"a read-only home", true, true, false,
       "cannot create " + (base / "home/.cache").string() + ": Permission denied"},
      {"a link planted for the pages' folder", false, true, true, "is a symbolic link"},
  };
  // Everything "nobody" needs is reachable by it, the program included.
  fs::permissions(base.path(), fs::perms::owner_all | fs::perms::others_exec);
  for (const char *folder : {"home", "victim", "tmp", "videos", "bin"})
    fs::create_directory(base / folder);
  fs::permissions(base / "tmp", fs::perms::all | fs::perms::sticky_bit);
  ASSERT_EQ(::chown((base / "videos").c_str(), 65534, 65534), 0);
  fs::copy_file(CliBinary(), base / "bin/vidtrawl-cli");

  LocalServer server;
  cli::MountDemoSite(server.server(), TheDemoSite(), std::chrono::milliseconds(0));
  server.Start();
  const cli::DemoPage &first = TheDemoSite().pages[4];
  const cli::DemoPage &second = TheDemoSite().pages[10];

  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(base / "home/.cache");
    if (c.linkPlanted) {
      fs::create_directory(base / "home/.cache");
      fs::create_directory_symlink(base / "victim", base / "home/.cache/vidtrawl");
    }
    std::map<std::string, std::string> env = CliEnvironment(base / "home");
    env.erase("XDG_CACHE_HOME");
    if (!c.homeSet)
      env.erase("HOME");
    env["TMPDIR"] = (base / "tmp").string();
    std::vector<std::string> args{"--tsv",        "-q",
                                  "-d",           (base / "videos").string(),
                                  "--connect-to", "::127.0.0.1:" + std::to_string(server.port()),
                                  first.address,  second.address};
    fs::path program = base / "bin/vidtrawl-cli";
    if (c.asNobody) {
      args.insert(args.begin(),
                  {"--reuid=65534", "--regid=65534", "--clear-groups", "--", program.string()});
      program = "/usr/bin/setpriv";
    }
    ChildProcess child(program, args, env);
    const ChildProcess::Result result = child.Wait();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Count(result.err, "Fetched pages are kept in"), 1u) << result.err;
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(base / "videos" / first.fileName).size(), 384u * 1024u);
    EXPECT_EQ(ReadFile(base / "videos" / second.fileName).size(), 768u * 1024u);
    EXPECT_TRUE(fs::is_empty(base / "victim"));
    EXPECT_TRUE(fs::is_empty(base / "tmp")) << "this run's folder goes with it";
    EXPECT_TRUE(c.linkPlanted || fs::is_empty(base / "home"));
  }
}

} // namespace
} // namespace vidtrawl::testing
