#include "settings/RegistryFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

using vidtrawl::settings::ReadRegistryFile;
using vidtrawl::settings::RegistryFileText;
using vidtrawl::settings::ReplaceRegistryFile;
using vidtrawl::testing::ReadFile;
using vidtrawl::testing::TempDir;
using vidtrawl::testing::WriteFile;
using State = RegistryFileText::State;

namespace {

std::vector<std::string> Names(const std::filesystem::path &folder) {
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

unsigned Mode(const std::filesystem::path &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(RegistryFile, ReadStates) {
  TempDir dir;
  EXPECT_EQ(ReadRegistryFile(dir / "missing.ini").state, State::Missing);
  EXPECT_EQ(ReadRegistryFile(dir / "missing" / "registry.ini").state, State::Missing);
  EXPECT_EQ(ReadRegistryFile("").state, State::Missing);

  WriteFile(dir / "registry.ini", std::string("a=1\n\0b", 6));
  RegistryFileText read = ReadRegistryFile(dir / "registry.ini");
  EXPECT_EQ(read.state, State::Read);
  EXPECT_EQ(read.text, std::string("a=1\n\0b", 6));

  WriteFile(dir / "empty.ini", "");
  EXPECT_EQ(ReadRegistryFile(dir / "empty.ini").state, State::Read);

  // Not regular files: unreadable, and reading a FIFO does not wait for a writer.
  std::filesystem::create_directory(dir / "folder.ini");
  EXPECT_EQ(ReadRegistryFile(dir / "folder.ini").state, State::Unreadable);
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadRegistryFile(dir / "fifo.ini").state, State::Unreadable);
}

TEST(RegistryFile, ReplaceLeavesOnlyTheNewFileMode0600) {
  TempDir dir;
  std::filesystem::path file = dir / "registry.ini";
  WriteFile(file, "old");
  std::filesystem::permissions(file, std::filesystem::perms(0644));
  ASSERT_TRUE(ReplaceRegistryFile(file, "new content\n"));
  EXPECT_EQ(ReadFile(file), "new content\n");
  EXPECT_EQ(Mode(file), 0600u);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"registry.ini"});
}

TEST(RegistryFile, ReplaceCreatesMissingFoldersPrivately) {
  TempDir dir;
  std::filesystem::path file = dir / "a" / "b" / "vidtrawl" / "registry.ini";
  ASSERT_TRUE(ReplaceRegistryFile(file, "x=1\n"));
  EXPECT_EQ(ReadFile(file), "x=1\n");
  EXPECT_EQ(Mode(file.parent_path()), 0700u);
  EXPECT_EQ(Names(file.parent_path()), std::vector<std::string>{"registry.ini"});
}

TEST(RegistryFile, ReplaceFollowsASymbolicLink) {
  TempDir dir;
  std::filesystem::create_directory(dir / "dotfiles");
  WriteFile(dir / "dotfiles" / "registry.ini", "old");
  std::filesystem::create_symlink("dotfiles/registry.ini", dir / "registry.ini");
  ASSERT_TRUE(ReplaceRegistryFile(dir / "registry.ini", "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "registry.ini"));
  EXPECT_EQ(ReadFile(dir / "dotfiles" / "registry.ini"), "new");
  EXPECT_EQ(Names(dir / "dotfiles"), std::vector<std::string>{"registry.ini"});
}

TEST(RegistryFile, FailedReplaceKeepsTheOldFileWhole) {
  TempDir dir;
  std::filesystem::path file = dir / "registry.ini";
  const std::string old = "[HKEY_CURRENT_USER\\Software]\nkeep=me\n";
  WriteFile(file, old);

  // The disk fills up in the middle of the write: files may not grow past 64 bytes.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool replaced = ReplaceRegistryFile(file, std::string(4096, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(replaced);
  EXPECT_EQ(ReadFile(file), old);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"registry.ini"});
}

TEST(RegistryFile, ReplaceFailsWhereNoFileCanBe) {
  TempDir dir;
  WriteFile(dir / "plain", "a file, not a folder");
  EXPECT_FALSE(ReplaceRegistryFile(dir / "plain" / "registry.ini", "x"));
  EXPECT_EQ(ReadFile(dir / "plain"), "a file, not a folder");

  std::filesystem::create_directories(dir / "folder.ini" / "inside");
  EXPECT_FALSE(ReplaceRegistryFile(dir / "folder.ini", "x"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.ini" / "inside"));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"folder.ini", "plain"}));
  EXPECT_FALSE(ReplaceRegistryFile("", "x"));
}
