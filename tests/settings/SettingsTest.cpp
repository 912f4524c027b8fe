#include "settings/Settings.h"

#include "settings/CRegister.h"
#include "support/RecordingMovie.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using vidtrawl::settings::CRegister;
using vidtrawl::settings::kSettingsKey;
using vidtrawl::settings::RegRoot;
using vidtrawl::settings::Settings;
using vidtrawl::testing::ReadFile;
using vidtrawl::testing::RecordingMovie;
using vidtrawl::testing::TempDir;
using vidtrawl::testing::WriteFile;
using Sets = std::vector<std::pair<std::string, std::string>>;

namespace {

// A home folder of its own for each test, with the settings file under it.
class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (auto &[name, value] : saved)
      if (const char *current = std::getenv(name))
        value = current;
    ::setenv("HOME", dir.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    for (const auto &[name, value] : saved)
      value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }

  void Store(const std::string &name, const std::string &value) {
    ASSERT_TRUE(
        CRegister(file).REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, name, value));
  }
  std::string Stored(const std::string &name) {
    return CRegister(file).REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, name, "<none>");
  }
  void Load(Settings &settings) {
    settings.LoadSettings(movie, [this](bool state) { monitorCalls.push_back(state); });
  }
  std::string DefaultDir() const { return (dir.path() / "Downloaded Videos").string(); }

  TempDir dir;
  std::vector<std::pair<const char *, std::optional<std::string>>> saved = {
      {"HOME", std::nullopt}, {"XDG_CONFIG_HOME", std::nullopt}};
  std::filesystem::path file = dir / "config" / "vidtrawl" / "registry.ini";
  RecordingMovie movie;
  std::vector<bool> monitorCalls;
};

} // namespace

TEST_F(SettingsTest, OffAndEmptyUntilLoaded) {
  Settings settings(file);
  EXPECT_FALSE(settings.bMonitorEnabled);
  EXPECT_EQ(settings.sDownloadDir, "");
}

TEST_F(SettingsTest, FirstStartTurnsMonitoringOnWithTheHomeFolder) {
  Settings settings(file);
  Load(settings);
  EXPECT_TRUE(settings.bMonitorEnabled);
  EXPECT_EQ(monitorCalls, std::vector<bool>{true});
  EXPECT_EQ(settings.sDownloadDir, DefaultDir());
  EXPECT_EQ(movie.sets, (Sets{{"_root.autoToDownloadList_CB", "1"},
                              {"_root.Download_CB", "1"},
                              {"_root.Convert_CB", "1"},
                              {"_root.download_dir", DefaultDir()}}));
  EXPECT_FALSE(std::filesystem::exists(file)); // loading writes nothing
}

TEST_F(SettingsTest, StoredMonitorTextConversions) {
  struct Case {
    std::string stored;
    bool monitoring;
  } cases[] =
      {
          {"True", true}, {"False", false}, {"FALSE", false}, {"tRUe", true},
          {"0", false},   {"5", true},      {"-1", true},     {"0.0", false},
          {"yes", false}, {"Tru", false},   {"", true}, // an empty value counts as absent: the
                                                        // default "true"
      };
  for (const Case &c : cases) {
    Store("URL Mon", c.stored);
    Settings settings(file);
    movie.sets.clear();
    monitorCalls.clear();
    Load(settings);
    EXPECT_EQ(settings.bMonitorEnabled, c.monitoring) << c.stored;
    EXPECT_EQ(monitorCalls.size(), c.monitoring ? 1u : 0u) << c.stored;
    ASSERT_FALSE(movie.sets.empty());
    EXPECT_EQ(movie.sets[0], (std::pair<std::string, std::string>{"_root.autoToDownloadList_CB",
                                                                  c.monitoring ? "1" : "0"}))
        << c.stored;
    EXPECT_EQ(Stored("URL Mon"), c.stored.empty() ? "<none>" : c.stored); // loading keeps it
  }
}

TEST_F(SettingsTest, UnconvertibleTextKeepsTheValueHeld) {
  Store("URL Mon", "yes");
  Settings settings(file);
  settings.bMonitorEnabled = true;
  Load(settings);
  EXPECT_TRUE(settings.bMonitorEnabled);
  EXPECT_EQ(monitorCalls, std::vector<bool>{true});
}

TEST_F(SettingsTest, FolderIsTakenExactlyAsStored) {
  for (const std::string folder : {"/media/usb/", "/srv/Videos", "relative dir", "C:\\Videos"}) {
    Store("Download Dir", folder);
    Settings settings(file);
    movie.sets.clear();
    Load(settings);
    EXPECT_EQ(settings.sDownloadDir, folder);
    EXPECT_EQ(movie.sets.back(),
              (std::pair<std::string, std::string>{"_root.download_dir", folder}));
  }
}

TEST_F(SettingsTest, SaveWritesTrueOrFalseAndTheFolder) {
  Settings settings(file);
  settings.bMonitorEnabled = true;
  settings.sDownloadDir = "/srv/Videos";
  settings.SaveSettings();
  EXPECT_EQ(Stored("URL Mon"), "True");
  EXPECT_EQ(Stored("Download Dir"), "/srv/Videos");
  EXPECT_NE(ReadFile(file).find("[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                                "URL Mon=True\n"
                                "Download Dir=/srv/Videos\n"),
            std::string::npos)
      << ReadFile(file);

  settings.bMonitorEnabled = false;
  settings.SaveSettings();
  EXPECT_EQ(Stored("URL Mon"), "False");

  Settings again(file);
  Load(again);
  EXPECT_FALSE(again.bMonitorEnabled);
  EXPECT_TRUE(monitorCalls.empty());
  EXPECT_EQ(again.sDownloadDir, "/srv/Videos");
}

TEST_F(SettingsTest, SaveReplacesAnUnconvertibleText) {
  Store("URL Mon", "yes");
  Settings settings(file);
  Load(settings);
  settings.SaveSettings();
  EXPECT_EQ(Stored("URL Mon"), "False");
}

TEST_F(SettingsTest, FailedSaveChangesNothingAndReportsNothing) {
  WriteFile(dir / "config", "a file where the folder should be");
  Settings settings(file);
  settings.bMonitorEnabled = true;
  settings.sDownloadDir = "/srv/Videos";
  EXPECT_NO_THROW(settings.SaveSettings());
  EXPECT_TRUE(settings.bMonitorEnabled);
  EXPECT_EQ(settings.sDownloadDir, "/srv/Videos");
  EXPECT_EQ(ReadFile(dir / "config"), "a file where the folder should be");
}

TEST_F(SettingsTest, ShowPushesFourVariablesInOrder) {
  Settings settings(file);
  settings.sDownloadDir = "/srv/Videos";
  for (bool monitoring : {false, true}) {
    settings.bMonitorEnabled = monitoring;
    movie.sets.clear();
    settings.ShowSettings(movie);
    EXPECT_EQ(movie.sets, (Sets{{"_root.autoToDownloadList_CB", monitoring ? "1" : "0"},
                                {"_root.Download_CB", "1"},
                                {"_root.Convert_CB", "1"},
                                {"_root.download_dir", "/srv/Videos"}}));
  }
  EXPECT_EQ(movie.GetFlashVariable("_root.download_dir"), "/srv/Videos");
}

TEST_F(SettingsTest, EveryStepIsGuardedOnItsOwn) {
  movie.failing = {"_root.autoToDownloadList_CB", "_root.Convert_CB"};
  Settings settings(file);
  settings.LoadSettings(movie, [](bool) { throw std::runtime_error("watcher did not start"); });
  EXPECT_TRUE(settings.bMonitorEnabled);
  EXPECT_EQ(settings.sDownloadDir, DefaultDir());
  EXPECT_EQ(movie.sets, (Sets{{"_root.Download_CB", "1"}, {"_root.download_dir", DefaultDir()}}));

  movie.sets.clear();
  movie.failing.clear();
  Settings noMonitor(file);
  noMonitor.LoadSettings(movie, nullptr); // no switch wired: the rest still runs
  EXPECT_TRUE(noMonitor.bMonitorEnabled);
  EXPECT_EQ(movie.sets.size(), 4u);
}

TEST_F(SettingsTest, DefaultFileIsUnderTheConfigFolder) {
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  Settings settings;
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(settings.RegistryFile(), file);
  settings.bMonitorEnabled = false;
  settings.sDownloadDir = "/x";
  settings.SaveSettings();
  EXPECT_EQ(Stored("URL Mon"), "False");
}
