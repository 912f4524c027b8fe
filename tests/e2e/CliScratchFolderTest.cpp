// vidtrawl-cli with the usual folder for fetched pages missing, read-only or not the user's own:
// the pages go to a folder only this user controls, the user is told why once, the downloads end
// complete and nothing is written anywhere else.
#include "cli/DemoServer.h"
#include "cli/DemoSite.h"
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include <unistd.h>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;
using cli::TheDemoSite;

constexpr uid_t kNobody = 65534;

enum class Goes { ToRoot, ToFallback, Nowhere };

class CliScratchFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    // Everything nobody needs is reachable by it, the program included; the
    // temporary folder is shared as /tmp is.
    fs::permissions(base.path(), fs::perms::owner_all | fs::perms::others_exec);
    Plant("@/config:755 @/home:755 @/victim:755 @/bin:755 @/tmp:1777");
    fs::copy_file(CliBinary(), base / "bin/vidtrawl-cli");
  }
  // "@" in a text stands for the base folder.
  std::string At(std::string text) const {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
      text.replace(at, 1, base.path().string());
    return text;
  }
  // The words of a text, "@" standing for the base folder.
  std::vector<std::string> Words(const std::string &text) const {
    std::istringstream words(At(text));
    return {std::istream_iterator<std::string>(words), {}};
  }
  // Makes folders "PATH:MODE" (octal; ":nobody" after it: nobody's) and links "PATH->TARGET".
  void Plant(const std::string &what) {
    for (const std::string &entry : Words(what)) {
      const std::size_t arrow = entry.find("->");
      const std::size_t colon = entry.find(':');
      const fs::path path = entry.substr(0, std::min(arrow, colon));
      fs::create_directories(path.parent_path());
      if (arrow != std::string::npos) {
        fs::create_directory_symlink(entry.substr(arrow + 2), path);
        continue;
      }
      const uid_t owner = entry.ends_with(":nobody") ? kNobody : 0;
      fs::create_directory(path);
      fs::permissions(path, static_cast<fs::perms>(std::stoi(entry.substr(colon + 1), nullptr, 8)));
      ASSERT_EQ(::chown(path.c_str(), owner, owner), 0);
    }
  }

  cli::DemoServer server{std::chrono::milliseconds(0)};
  TempDir base;
};

TEST_F(CliScratchFolderTest, PagesGoWhereOnlyThisUserCanReach) {
  struct Case {
    const char *name;
    bool asNobody;     // else as root, whom no permission stops
    std::string env;   // NAME=VALUE ...
    std::string plant; // for Plant
    Goes goes;
    std::string where; // ToRoot: the root of the instance folders; else part of the one message
  };
  const bool nobody = true;
  const bool root = false;
  const Case cases[] = {
      {"HOME unset: the password database's home", nobody, "", "", Goes::ToFallback,
       "cannot create /nonexistent: Permission denied"},
      {"the runtime folder first", root, "XDG_RUNTIME_DIR=@/run XDG_CACHE_HOME=@/c HOME=@/home", "",
       Goes::ToRoot, "@/run/vidtrawl"},
      {"then XDG_CACHE_HOME, where a folder of the user's stays", root,
       "XDG_CACHE_HOME=@/c HOME=@/home", "@/c/vidtrawl:700 @/c/vidtrawl/mystuff:700", Goes::ToRoot,
       "@/c/vidtrawl"},
      {"then HOME/.cache", root, "HOME=@/home", "", Goes::ToRoot, "@/home/.cache/vidtrawl"},
      {"a root that is a link", root, "XDG_CACHE_HOME=@/cache", "@/cache/vidtrawl->@/victim",
       Goes::ToFallback, "@/cache/vidtrawl is a symbolic link"},
      {"a root of another user", root, "XDG_CACHE_HOME=@/cache", "@/cache/vidtrawl:700:nobody",
       Goes::ToFallback, "@/cache/vidtrawl belongs to another user"},
      {"a cache folder planted by another user", root, "HOME=@/shared",
       "@/shared:1777 @/shared/.cache:777:nobody", Goes::ToFallback,
       "another user can change @/shared/.cache"},
      {"a folder on the way that others may write to", root, "XDG_CACHE_HOME=@/open/c",
       "@/open:777", Goes::ToFallback, "another user can change @/open"},
      {"a read-only home", nobody, "HOME=@/home", "", Goes::ToFallback,
       "cannot create @/home/.cache: Permission denied"},
      {"a root made before the home became read-only", nobody, "XDG_CACHE_HOME=@/cache",
       "@/cache/vidtrawl:500:nobody", Goes::ToFallback,
       "cannot lock @/cache/vidtrawl/lock: Permission denied"},
      {"no folder at all", nobody, "HOME=@/home TMPDIR=@/home", "", Goes::Nowhere,
       "Pages cannot be fetched: cannot create @/home/.cache: Permission denied; cannot create "
       "a folder in @/home: Permission denied."},
  };
  const auto &pages = TheDemoSite().pages;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    for (const char *left : {"cache", "home/.cache", "videos"})
      fs::remove_all(base / left);
    Plant("@/videos:700:nobody " + c.plant);
    std::map<std::string, std::string> env{{"PATH", "/usr/bin:/bin"}, {"LC_ALL", "C"}};
    for (const std::string &entry : Words("XDG_CONFIG_HOME=@/config TMPDIR=@/tmp " + c.env))
      env[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
    const std::string id = std::to_string(c.asNobody ? kNobody : 0);
    const ChildProcess::Result result =
        ChildProcess("/usr/bin/setpriv",
                     Words("--reuid=" + id + " --regid=" + id + " --clear-groups -- " +
                           "@/bin/vidtrawl-cli --tsv -q -d @/videos --connect-to ::127.0.0.1:" +
                           std::to_string(server.Port()) + " " + pages[4].address + " " +
                           pages[10].address),
                     env)
            .Wait();

    EXPECT_EQ(result.exitCode, c.goes == Goes::Nowhere ? 1 : 0) << result.err;
    if (c.goes == Goes::ToRoot) {
      EXPECT_EQ(result.err, "");
      // The root is private, and only its lock file is left in it, beside what was there.
      EXPECT_EQ(fs::status(At(c.where)).permissions(), fs::perms::owner_all);
      std::error_code missing;
      const bool kept = c.plant.find("mystuff") != std::string::npos;
      EXPECT_EQ(std::distance(fs::directory_iterator(At(c.where), missing), {}), kept ? 2 : 1);
      EXPECT_EQ(fs::is_directory(At(c.where + "/mystuff")), kept);
    } else {
      EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
      EXPECT_NE(result.err.find(At(c.where)), std::string::npos) << result.err;
    }
    if (c.goes != Goes::Nowhere) {
      EXPECT_EQ(ReadFile(base / "videos" / pages[4].fileName).size(), 384u * 1024u);
      EXPECT_EQ(ReadFile(base / "videos" / pages[10].fileName).size(), 768u * 1024u);
    }
    EXPECT_TRUE(fs::is_empty(base / "victim")) << "nothing written through a link";
    EXPECT_TRUE(fs::is_empty(base / "tmp")) << "the run's own folder goes with it";
  }
}

} // namespace
} // namespace vidtrawl::testing
