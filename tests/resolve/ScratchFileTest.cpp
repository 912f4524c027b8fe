// Where fetched pages go: a folder of this instance that only this user
// controls, with a private fallback when the usual place cannot be used,
// and liveness of other instances by their locks.
#include "resolve/ScratchFile.h"

#include "base/FileDescriptor.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;
using testing::RecordingMessageBox;
using testing::TempDir;

constexpr uid_t kNobody = 65534;

// Runs `check` in a child process, as "nobody" when asked, so that what it
// does to the environment stays there. Its answer: empty when all is well.
std::string InChild(bool asNobody, const std::function<std::string()> &check) {
  int channel[2];
  if (::pipe(channel) != 0)
    return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const bool became = !asNobody || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
    base::WriteAll(channel[1], became ? check() : "cannot become nobody");
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    answer.append(buffer, static_cast<std::size_t>(got));
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : "the check died: " + answer;
}

// "@" in a text stands for the test's base folder.
std::string At(const fs::path &base, std::string text) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
    text.replace(at, 1, base.string());
  return text;
}

// Sets NAME=VALUE entries ("@": the base folder) and unsets the other
// variables that say where folders are.
void UseEnvironment(const fs::path &base, const std::string &env) {
  for (const char *name : {"HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "TMPDIR"})
    ::unsetenv(name);
  std::istringstream entries(At(base, env));
  for (std::string entry; entries >> entry;) {
    const std::size_t equals = entry.find('=');
    ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
}

std::string PrivateFolderProblem(const fs::path &folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & 077) != 0)
    return folder.string() + " is not a private folder of this user";
  return {};
}

class ScratchFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Reachable by "nobody"; its temporary folder is shared as /tmp is.
    fs::permissions(base.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    for (const char *folder : {"tmp", "victim", "home"})
      fs::create_directory(base / folder);
    fs::permissions(base / "tmp", fs::perms::all | fs::perms::sticky_bit);
  }
  void MakeFolder(const std::string &folder, fs::perms mode, uid_t owner = 0) {
    fs::create_directories(At(base.path(), folder));
    fs::permissions(At(base.path(), folder), mode);
    ASSERT_EQ(::chown(At(base.path(), folder).c_str(), owner, owner), 0);
  }

  TempDir base;
};

enum class Goes { ToRoot, ToFallback, Nowhere };

struct FolderCase {
  const char *name;
  bool asNobody;
  std::string env; // NAME=VALUE ..., all other folder variables unset
  std::function<void()> plant;
  Goes goes;
  std::string where; // ToRoot: the root that holds the folder; else a part of the one message
};

// Where a new ScratchFile keeps its pages, against what the case expects;
// empty when they agree.
std::string CheckFolder(const FolderCase &c, const fs::path &base) {
  UseEnvironment(base, c.env);
  RecordingMessageBox messages;
  fs::path folder;
  {
    const ScratchFile scratch(messages);
    const std::string said = messages.shown.empty() ? "" : messages.shown.back().text;
    if (messages.shown.size() != (c.goes == Goes::ToRoot ? 0u : 1u) ||
        (c.goes != Goes::ToRoot && said.find(At(base, c.where)) == std::string::npos))
      return std::to_string(messages.shown.size()) + " messages: " + said;
    if (c.goes == Goes::Nowhere)
      return scratch.Path().empty() ? "" : "pages go to " + scratch.Path().string();
    folder = scratch.Path().parent_path();
    const fs::path root = c.goes == Goes::ToRoot ? fs::path(At(base, c.where)) : base / "tmp";
    if (folder.parent_path() != root)
      return "pages go to " + scratch.Path().string();
    if (std::string problem = PrivateFolderProblem(folder); !problem.empty())
      return problem;
    testing::WriteFile(scratch.Path(), "page");
    if (testing::ReadFile(scratch.Path()) != "page")
      return "the page cannot be written";
  }
  if (fs::exists(folder))
    return folder.string() + " is left behind";
  return fs::is_empty(base / "victim") ? "" : "written through a link";
}

TEST_F(ScratchFileTest, PagesGoWhereOnlyThisUserCanReach) {
  const auto none = [] {};
  const auto linkedRoot = [&] {
    fs::create_directory(base / "cache");
    fs::create_directory_symlink(base / "victim", base / "cache/vidtrawl");
  };
  const auto othersRoot = [&] { MakeFolder("@/cache/vidtrawl", fs::perms::owner_all, kNobody); };
  const auto plantedInShared = [&] {
    MakeFolder("@/shared", fs::perms::all | fs::perms::sticky_bit);
    MakeFolder("@/shared/.cache", fs::perms::all, kNobody);
  };
  const auto openOnTheWay = [&] { MakeFolder("@/open", fs::perms::all); };
  const auto readOnlyRoot = [&] {
    MakeFolder("@/cache/vidtrawl", fs::perms::owner_read | fs::perms::owner_exec, kNobody);
  };
  const bool nobody = true;
  const bool root = false;
  const std::string cache = "XDG_CACHE_HOME=@/cache TMPDIR=@/tmp";
  const FolderCase cases[] = {
      {"HOME unset: the password database's home", nobody, "TMPDIR=@/tmp", none, Goes::ToFallback,
       "cannot create /nonexistent: Permission denied"},
      {"the runtime folder first", root, "XDG_RUNTIME_DIR=@/run " + cache + " HOME=@/home", none,
       Goes::ToRoot, "@/run/vidtrawl"},
      {"then XDG_CACHE_HOME", root, cache + " HOME=@/home", none, Goes::ToRoot, "@/cache/vidtrawl"},
      {"then HOME/.cache", root, "HOME=@/home", none, Goes::ToRoot, "@/home/.cache/vidtrawl"},
      {"a root that is a link", root, cache, linkedRoot, Goes::ToFallback,
       "@/cache/vidtrawl is a symbolic link"},
      {"a root of another user", root, cache, othersRoot, Goes::ToFallback,
       "@/cache/vidtrawl belongs to another user"},
      {"a cache folder planted by another user", root, "HOME=@/shared TMPDIR=@/tmp",
       plantedInShared, Goes::ToFallback, "another user can change @/shared/.cache"},
      {"a folder on the way that others may write to", root,
       "XDG_CACHE_HOME=@/open/cache TMPDIR=@/tmp", openOnTheWay, Goes::ToFallback,
       "another user can change @/open"},
      {"a read-only home", nobody, "HOME=@/home TMPDIR=@/tmp", none, Goes::ToFallback,
       "cannot create @/home/.cache: Permission denied"},
      {"a root made before the home became read-only", nobody, cache, readOnlyRoot,
       Goes::ToFallback, "cannot lock @/cache/vidtrawl/lock: Permission denied"},
      {"no folder at all", nobody, "HOME=@/home TMPDIR=@/home", none, Goes::Nowhere,
       "Pages cannot be fetched: cannot create @/home/.cache"},
  };
  for (const FolderCase &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(base / "cache");
    fs::remove_all(base / "home/.cache");
    c.plant();
    EXPECT_EQ(InChild(c.asNobody, [&] { return CheckFolder(c, base.path()); }), "");
  }
}

// What other instances left in the root.
enum class Left { HeldLock, FreeLock, NoLock, LiveInstance, OtherUsers, Link };

struct LeftCase {
  const char *name;
  Left left;
  std::string folder; // its name in the root
  bool stays;
};

// Whether a new instance keeps or removes what was left, as the case
// expects; empty when it does.
std::string CheckLeftover(const LeftCase &c, const fs::path &base) {
  UseEnvironment(base, "XDG_CACHE_HOME=@/cache");
  RecordingMessageBox messages;
  base::FileDescriptor lock;
  std::unique_ptr<ScratchFile> other;
  fs::path left = base / "cache/vidtrawl" / c.folder;
  if (c.left == Left::LiveInstance) {
    other = std::make_unique<ScratchFile>(messages);
    left = other->Path().parent_path();
  } else if (c.left == Left::Link) {
    fs::create_directory_symlink(base / "victim", left);
  } else {
    fs::create_directory(left);
    if (c.left == Left::OtherUsers && ::chown(left.c_str(), kNobody, kNobody) != 0)
      return "cannot hand the folder over";
    if (c.left == Left::HeldLock || c.left == Left::FreeLock)
      lock = base::FileDescriptor(::open((left / "lock").c_str(), O_RDWR | O_CREAT, 0600));
    if (c.left == Left::HeldLock && ::flock(lock.Get(), LOCK_EX) != 0)
      return "cannot lock";
  }
  {
    const ScratchFile scratch(messages);
    if (!messages.shown.empty())
      return messages.shown[0].text;
    if (scratch.Path().parent_path() == left)
      return "the same folder as the other instance";
    if (fs::exists(fs::symlink_status(left)) != c.stays)
      return c.stays ? "removed" : "kept";
  }
  if (fs::exists(fs::symlink_status(left)) != c.stays)
    return "removed when the new instance ended";
  return testing::ReadFile(base / "victim/keep") == "keep" ? "" : "followed the link";
}

TEST_F(ScratchFileTest, AnInstanceIsAliveWhileItHoldsItsLock) {
  const LeftCase cases[] = {
      {"a lock held by an instance whose id is no process here", Left::HeldLock, "999999999", true},
      {"a lock that can be taken", Left::FreeLock, "Zq81xP", false},
      {"no lock, under the id of a running process", Left::NoLock, std::to_string(::getppid()),
       false},
      {"an instance of this same process (one home, two PID namespaces)", Left::LiveInstance, "",
       true},
      {"another user's folder", Left::OtherUsers, "theirs", true},
      {"a link to a folder elsewhere", Left::Link, "link", true},
  };
  for (const LeftCase &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(base / "cache");
    MakeFolder("@/cache/vidtrawl", fs::perms::owner_all);
    testing::WriteFile(base / "victim/keep", "keep");
    EXPECT_EQ(InChild(false, [&] { return CheckLeftover(c, base.path()); }), "");
  }
}

} // namespace
} // namespace vidtrawl::resolve
