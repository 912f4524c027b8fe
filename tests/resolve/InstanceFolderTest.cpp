// Other instances are alive while they hold their locks: process ids say
// nothing across PID namespaces, containers or hosts that share a home.
#include "resolve/InstanceFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vidtrawl::resolve {
namespace {

namespace fs = std::filesystem;

// What another instance left in the root, or what the user put there.
enum class Left { HeldLock, FreeLock, NoLock, LiveInstance, OtherUsers, Link, UsersFile };

// Only a folder an instance made and left goes: its name, its free lock and only its own files.
TEST(InstanceFolder, AnInstanceIsAliveWhileItHoldsItsLockAndNothingElseGoes) {
  struct Case {
    const char *name;
    Left left;
    std::string folder; // its name in the root
    bool stays;
  };
  const Case cases[] = {
      {"a lock held under an id that is no process here", Left::HeldLock, "instance-999999", true},
      {"a lock that can be taken", Left::FreeLock, "instance-Zq81xP", false},
      {"a free lock in a folder not named as instances name theirs", Left::FreeLock, "Zq81xP",
       true},
      {"no lock", Left::NoLock, "instance-abcdef", true},
      {"the user's own folder", Left::UsersFile, "mystuff", true},
      {"a free lock beside a file of the user's", Left::UsersFile, "instance-Ab12Cd", true},
      {"an instance of this same process", Left::LiveInstance, "", true},
      {"another user's folder", Left::OtherUsers, "instance-theirs", true},
      {"a link to a folder elsewhere", Left::Link, "instance-link00", true},
  };
  testing::TempDir base;
  const fs::path root = base / "root";
  testing::WriteFile(base / "keep", "keep");
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root);
    fs::create_directory(root);
    std::string problem;
    std::optional<InstanceFolder> other;
    base::FileDescriptor lock;
    fs::path left = root / c.folder;
    if (c.left == Left::LiveInstance)
      left = other.emplace(std::move(*InstanceFolder::Make(root, {}, problem))).Path();
    else if (c.left == Left::Link)
      fs::create_directory_symlink(base.path(), left);
    else
      fs::create_directory(left);
    ASSERT_EQ(::lchown(left.c_str(), c.left == Left::OtherUsers ? 65534 : 0, 0), 0);
    if (c.left == Left::HeldLock || c.left == Left::FreeLock ||
        (c.left == Left::UsersFile && c.folder.starts_with("instance")))
      lock = base::FileDescriptor(::open((left / "lock").c_str(), O_RDWR | O_CREAT, 0600));
    if (c.left == Left::UsersFile)
      testing::WriteFile(left / "notes.txt", "mine");
    if (c.left == Left::FreeLock)
      testing::WriteFile(left / "Parse.wvi", "a page");
    ASSERT_TRUE(c.left != Left::HeldLock || ::flock(lock.Get(), LOCK_EX) == 0);
    {
      const std::optional<InstanceFolder> made = InstanceFolder::Make(root, {"Parse.wvi"}, problem);
      ASSERT_TRUE(made) << problem;
      EXPECT_NE(made->Path(), left);
      EXPECT_EQ(fs::exists(fs::symlink_status(left)), c.stays);
    }
    EXPECT_EQ(fs::exists(fs::symlink_status(left)), c.stays) << "after the new one ended";
    EXPECT_EQ(testing::ReadFile(base / "keep"), "keep");
    if (c.left == Left::UsersFile) {
      EXPECT_EQ(testing::ReadFile(left / "notes.txt"), "mine");
    }
  }
}

} // namespace
} // namespace vidtrawl::resolve
