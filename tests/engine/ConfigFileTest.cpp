// The configuration as the settings file keeps it between runs.
#include "engine/ConfigFile.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vidtrawl::engine {
namespace {

namespace fs = std::filesystem;
using settings::kSettingsKey;
using settings::SettingsStore;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// A file far larger than any settings file (sparse: 300 MB on no disk) is not read: the defaults
// hold, the reading says so, and the file stays as it is, also after a write; a file where the
// folder should be makes every write fail without a word.
TEST(ConfigFile, AHugeOrMisplacedFileIsLeftAsItIs) {
  TempDir dir;
  const fs::path file = dir / "config" / "registry.ini";
  ASSERT_TRUE(SettingsStore(file).Save(kSettingsKey, "URL Mon", "False"));
  fs::resize_file(file, 300'000'000);
  const ConfigRead read = ReadConfig(file);
  EXPECT_TRUE(read.tooLarge);
  EXPECT_TRUE(read.config.monitor);
  WriteConfig(file, read.config);
  EXPECT_EQ(fs::file_size(file), 300'000'000u);
  EXPECT_EQ(SettingsStore(file).Get(kSettingsKey, "URL Mon", "<none>"), "<none>");
  fs::remove_all(dir / "config");
  WriteFile(dir / "config", "a file where the folder should be");
  EXPECT_FALSE(ReadConfig(file).tooLarge);
  WriteConfig(file, ReadConfig(file).config);
  EXPECT_EQ(ReadFile(dir / "config"), "a file where the folder should be");
}

// Every setting a user changes (or clears) comes back in the next run as it was saved; numbers out
// of range come back at their nearest bound, a monitor text that is no boolean as off.
TEST(ConfigFile, EverySettingComesBackAsSaved) {
  TempDir dir;
  const fs::path file = dir / "registry.ini";
  const Config saved{false,
                     "/srv/films/new",
                     true,
                     7,
                     5,
                     0,
                     1536 * 1024,
                     9,
                     "720p",
                     "socks5h://127.0.0.1:9050",
                     "Agent/1.0",
                     "https://example.org/w",
                     {"X-One: 1", "X-Two: a b"},
                     "/home/c.txt",
                     "/opt/yt-dlp",
                     30,
                     Config::Playlists::AddAll, // a front end's choice for its run, not a setting
                     false,
                     false};
  WriteConfig(file, saved);
  EXPECT_EQ(ReadConfig(file).config, saved);
  // What is cleared in the settings comes back cleared.
  Config cleared = saved;
  cleared.proxy.clear();
  cleared.headers.clear();
  cleared.knownSitesOnly = false;
  WriteConfig(file, cleared);
  EXPECT_EQ(ReadConfig(file).config, cleared);
  for (const auto &[text, downloads] : {std::pair{"0", 1}, {"99", 16}, {"x", 3}, {"16", 16}}) {
    ASSERT_TRUE(SettingsStore(file).Save(kSettingsKey, settings::kSimultaneousDownloadsName, text));
    EXPECT_EQ(ReadConfig(file).config.simultaneousDownloads, downloads) << text;
  }
  for (const auto &[text, on] : {std::pair{"yes", false}, {"5", true}, {"FALSE", false}}) {
    ASSERT_TRUE(SettingsStore(file).Save(kSettingsKey, settings::kUrlMonName, text));
    EXPECT_EQ(ReadConfig(file).config.monitor, on) << text;
  }
  EXPECT_TRUE(ReadConfig(dir / "none.ini").config.monitor);
}

} // namespace
} // namespace vidtrawl::engine
