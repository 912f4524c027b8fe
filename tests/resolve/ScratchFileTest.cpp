#include "resolve/ScratchFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

using vidtrawl::resolve::ScratchFile;
namespace fs = std::filesystem;

TEST(ScratchFile, PerInstanceFolderUnderTheCacheFolderWithoutStaleLeftovers) {
  vidtrawl::testing::TempDir cache;
  const char *old = std::getenv("XDG_CACHE_HOME");
  const std::string saved = old ? old : "";
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);

  const fs::path root = cache.path() / "vidtrawl";
  fs::create_directories(root / "999999999");                 // a pid that cannot be running
  fs::create_directories(root / std::to_string(::getppid())); // a running process
  fs::create_directories(root / "notapid");
  {
    ScratchFile scratch;
    EXPECT_EQ(scratch.Path(), root / std::to_string(::getpid()) / "Parse.wvi");
    EXPECT_TRUE(fs::is_directory(scratch.Path().parent_path()));
    EXPECT_EQ(fs::status(scratch.Path().parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_FALSE(fs::exists(root / "999999999"));
    EXPECT_TRUE(fs::exists(root / std::to_string(::getppid())));
    EXPECT_TRUE(fs::exists(root / "notapid"));
    vidtrawl::testing::WriteFile(scratch.Path(), "page");
  }
  EXPECT_FALSE(fs::exists(root / std::to_string(::getpid())));

  if (old)
    ::setenv("XDG_CACHE_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CACHE_HOME");
}
