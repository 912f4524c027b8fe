#include "settings/Settings.h"

#include "settings/BooleanText.h"
#include "settings/CRegister.h"
#include "support/RecordingMovie.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>

namespace vidtrawl::settings {
namespace {

using Sets = std::vector<std::pair<std::string, std::string>>;

TEST(BooleanFromText, WordsInAnyCaseAndDecimalNumbers) {
  const std::optional<bool> T = true, F = false, none;
  const std::pair<const char *, std::optional<bool>> cases[] = {
      {"true", T},   {"TRUE", T},    {"tRuE", T},   {"false", F},  {"fAlSe", F},    {"0", F},
      {"1", T},      {"-1", T},      {"+0", F},     {"-0", F},     {"000", F},      {"0.0", F},
      {".5", T},     {"5.", T},      {"0.001", T},  {"1e3", T},    {"0E5", F},      {"2e-3", T},
      {"1e+2", T},   {"", none},     {"yes", none}, {"tru", none}, {"true ", none}, {" 1", none},
      {"1x", none},  {".", none},    {"-", none},   {"+", none},   {"e5", none},    {"1e", none},
      {"1e+", none}, {"0x10", none}, {"inf", none}, {"1,5", none}, {"1.2.3", none}};
  for (const auto &[text, result] : cases)
    EXPECT_EQ(BooleanFromText(text), result) << '"' << text << '"';
}

// A home folder of its own for each test, with the settings file under it.
class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char *home = std::getenv("HOME"))
      savedHome = home;
    ::setenv("HOME", dir.path().c_str(), 1);
  }
  void TearDown() override {
    savedHome ? ::setenv("HOME", savedHome->c_str(), 1) : ::unsetenv("HOME");
  }
  void Store(const std::string &name, const std::string &value) {
    ASSERT_TRUE(
        CRegister(file).REGSaveSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, name, value));
  }
  std::string Stored(const std::string &name) {
    return CRegister(file).REGGetSetting(RegRoot::HKEY_CURRENT_USER, kSettingsKey, name, "<none>");
  }
  void Load(Settings &settings) {
    movie.sets.clear();
    monitorCalls.clear();
    settings.LoadSettings(movie, [this](bool state) { monitorCalls.push_back(state); });
  }
  Sets Shown(bool monitoring, const std::string &folder) {
    return {{"_root.autoToDownloadList_CB", monitoring ? "1" : "0"},
            {"_root.Download_CB", "1"},
            {"_root.Convert_CB", "1"},
            {"_root.download_dir", folder}};
  }

  testing::TempDir dir;
  std::optional<std::string> savedHome;
  std::filesystem::path file = dir / "config" / "registry.ini";
  testing::RecordingMovie movie;
  std::vector<bool> monitorCalls;
};

TEST_F(SettingsTest, FirstStartMonitorsIntoTheHomeFolderAndWritesNothing) {
  Settings settings(file);
  Load(settings);
  EXPECT_TRUE(settings.bMonitorEnabled);
  EXPECT_EQ(monitorCalls, std::vector<bool>{true});
  EXPECT_EQ(movie.sets, Shown(true, (dir / "Downloaded Videos").string()));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(SettingsTest, StoredValuesAreTakenAsTheyStand) {
  const struct {
    const char *monitorText; // "": not stored
    bool held, monitoring;
    const char *folder;
  } cases[] = {{"False", true, false, "/srv/Videos/"},
               {"0.0", true, false, "relative dir"},
               {"tRUe", false, true, "C:\\Videos"},
               {"-1", false, true, "/x"},
               {"yes", true, true, "/x"},
               {"yes", false, false, "/x"},
               {"", false, true, "/x"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.monitorText);
    Store("URL Mon", c.monitorText);
    Store("Download Dir", c.folder);
    Settings settings(file);
    settings.bMonitorEnabled = c.held;
    Load(settings);
    EXPECT_EQ(settings.bMonitorEnabled, c.monitoring);
    EXPECT_EQ(monitorCalls, c.monitoring ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(movie.sets, Shown(c.monitoring, c.folder));
    EXPECT_EQ(Stored("URL Mon"), *c.monitorText ? c.monitorText : "<none>"); // loading keeps it
  }
}

TEST_F(SettingsTest, SaveWritesTrueOrFalseAndTheFolder) {
  Store("URL Mon", "yes");
  Settings settings(file);
  Load(settings); // an unconvertible text leaves the monitor off
  settings.SaveSettings();
  EXPECT_EQ(Stored("URL Mon"), "False");
  settings.bMonitorEnabled = true;
  settings.sDownloadDir = "/srv/Videos";
  settings.SaveSettings();
  EXPECT_EQ(testing::ReadFile(file),
            "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
            "URL Mon=True\nDownload Dir=/srv/Videos\n");
}

TEST_F(SettingsTest, EveryStepIsGuardedOnItsOwn) {
  testing::WriteFile(dir / "config", "a file where the folder should be");
  Settings settings(file);
  movie.failing = {"_root.autoToDownloadList_CB", "_root.Convert_CB"};
  settings.LoadSettings(movie, [](bool) { throw std::runtime_error("watcher did not start"); });
  EXPECT_TRUE(settings.bMonitorEnabled);
  const std::string home = (dir / "Downloaded Videos").string();
  EXPECT_EQ(movie.sets, (Sets{{"_root.Download_CB", "1"}, {"_root.download_dir", home}}));
  EXPECT_NO_THROW(settings.SaveSettings()); // fails without a word
  EXPECT_EQ(testing::ReadFile(dir / "config"), "a file where the folder should be");
  movie.failing.clear();
  movie.sets.clear();
  Settings(file).LoadSettings(movie, nullptr); // no switch wired: the rest still runs
  EXPECT_EQ(movie.sets, Shown(true, home));
}

} // namespace
} // namespace vidtrawl::settings
