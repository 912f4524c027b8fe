#include "settings/CRegister.h"

#include "Unprivileged.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

using vidtrawl::settings::CRegister;
using vidtrawl::settings::RegRoot;
using vidtrawl::testing::ReadFile;
using vidtrawl::testing::RunUnprivileged;
using vidtrawl::testing::TempDir;
using vidtrawl::testing::WriteFile;

namespace {

constexpr RegRoot kHKCU = RegRoot::HKEY_CURRENT_USER;
constexpr char kKey[] = "Software\\Quillmark Vidtrawl\\Settings";

class CRegisterTest : public ::testing::Test {
protected:
  TempDir dir;
  std::filesystem::path file = dir / "registry.ini";
  CRegister reg{file};
  std::string Get(const std::string &name, const std::string &section = kKey) {
    return reg.REGGetSetting(kHKCU, section, name, "<default>");
  }
};

} // namespace

TEST_F(CRegisterTest, MissingFileHoldsNoValues) {
  EXPECT_EQ(Get("URL Mon"), "<default>");
  EXPECT_EQ(Get("*"), "<default>");
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, kKey, "URL Mon"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, kKey, ""));
  EXPECT_FALSE(std::filesystem::exists(file)); // reading and failed deletes write nothing
}

TEST_F(CRegisterTest, SaveCreatesTheFileInTheAgreedForm) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "Download Dir", "C:\\Downloaded Videos"));
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "*", "two\r\nlines"));
  EXPECT_EQ(ReadFile(file), "[HKEY_CURRENT_USER\\Software]\n"
                            "\n"
                            "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl]\n"
                            "\n"
                            "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                            "URL Mon=True\n"
                            "Download Dir=C:\\\\Downloaded Videos\n"
                            "@=two\\r\\nlines\n");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(CRegisterTest, ValuesComeBackAsSaved) {
  for (const std::string &value : std::vector<std::string>{
           "True", "/home/u/Downloaded Videos/", "C:\\", "\\\\server\\share", "a\nb\rc\r\n",
           "\\n is not a line break", "x=y=z", "[not a section]", " spaced ", "caf\xc3\xa9",
           std::string(10000, 'v')}) {
    ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "Value", value));
    EXPECT_EQ(Get("Value"), value);
  }
}

TEST_F(CRegisterTest, NamesAndKeysIgnoreCaseAndKeepTheFirstSpelling) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  ASSERT_TRUE(
      reg.REGSaveSetting(kHKCU, "SOFTWARE\\quillmark vidtrawl\\settings", "url mon", "False"));
  EXPECT_EQ(Get("URL MON", "software\\QUILLMARK VIDTRAWL\\Settings"), "False");
  std::string text = ReadFile(file);
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                      "URL Mon=False\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("url mon"), std::string::npos);
  EXPECT_EQ(text.find("SOFTWARE"), std::string::npos);
}

TEST_F(CRegisterTest, RootsAndKeysAreSeparate) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "v", "user"));
  ASSERT_TRUE(reg.REGSaveSetting(RegRoot::HKEY_LOCAL_MACHINE, kKey, "v", "machine"));
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, "Software\\Quillmark Vidtrawl", "v", "parent"));
  EXPECT_EQ(Get("v"), "user");
  EXPECT_EQ(reg.REGGetSetting(RegRoot::HKEY_LOCAL_MACHINE, kKey, "v", ""), "machine");
  EXPECT_EQ(Get("v", "Software\\Quillmark Vidtrawl"), "parent");
  EXPECT_EQ(reg.REGGetSetting(RegRoot::HKEY_USERS, kKey, "v", "none"), "none");
}

TEST_F(CRegisterTest, DefaultValueIsStarOrEmptyAndStoredAsAt) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "*", "the default"));
  EXPECT_EQ(Get("*"), "the default");
  EXPECT_EQ(Get(""), "the default");
  EXPECT_NE(ReadFile(file).find("\n@=the default\n"), std::string::npos);
  // "@" is how the file spells the default value: not a name of its own.
  EXPECT_FALSE(reg.REGSaveSetting(kHKCU, kKey, "@", "x"));
  EXPECT_EQ(Get("@"), "<default>");
  EXPECT_EQ(Get("*"), "the default");
  EXPECT_TRUE(reg.REGDeleteSetting(kHKCU, kKey, "*"));
  EXPECT_EQ(Get("*"), "<default>");
}

TEST_F(CRegisterTest, OneSeparatorAtEachEndIsIgnored) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, "\\Software\\Q\\", "v", "1"));
  EXPECT_EQ(Get("v", "Software\\Q"), "1");
  EXPECT_EQ(Get("v", "\\Software\\Q"), "1");
  EXPECT_EQ(Get("v", "Software\\Q\\"), "1");
  // Only one character at each end goes: what remains has an empty level.
  EXPECT_EQ(Get("v", "\\\\Software\\Q"), "<default>");
  EXPECT_EQ(Get("v", "Software\\Q\\\\"), "<default>");
  EXPECT_EQ(Get("v", "Software\\\\Q"), "<default>");
  EXPECT_FALSE(reg.REGSaveSetting(kHKCU, "\\\\Software\\Q", "v", "2"));
  EXPECT_EQ(Get("v", "Software\\Q"), "1");
}

TEST_F(CRegisterTest, SavingCreatesEveryKeyAlongThePath) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, "A\\B\\C\\D", "v", "deep"));
  std::string text = ReadFile(file);
  for (const char *section : {"[HKEY_CURRENT_USER\\A]", "[HKEY_CURRENT_USER\\A\\B]",
                              "[HKEY_CURRENT_USER\\A\\B\\C]", "[HKEY_CURRENT_USER\\A\\B\\C\\D]"})
    EXPECT_NE(text.find(std::string(section) + "\n"), std::string::npos) << section;
  // The levels exist as keys: a value can be deleted from them only once saved.
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "A\\B", "v"));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "A\\B", "")); // has subkeys
}

TEST_F(CRegisterTest, RootKeyHoldsValuesOfItsOwn) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, "", "top", "1"));
  EXPECT_EQ(Get("top", "\\"), "1");
  EXPECT_NE(ReadFile(file).find("[HKEY_CURRENT_USER]\ntop=1\n"), std::string::npos);
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "", "")); // a root is never deleted
}

TEST_F(CRegisterTest, EmptyValueReadsAsTheDefault) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "Download Dir", ""));
  EXPECT_NE(ReadFile(file).find("\nDownload Dir=\n"), std::string::npos);
  EXPECT_EQ(Get("Download Dir"), "<default>");
}

TEST_F(CRegisterTest, NamesTheFileCannotHoldAreRefused) {
  for (const std::string name : {"a=b", "line\nbreak", "cr\r", "[bracket", "@"}) {
    EXPECT_FALSE(reg.REGSaveSetting(kHKCU, kKey, name, "v")) << name;
    EXPECT_EQ(Get(name), "<default>") << name;
  }
  EXPECT_FALSE(reg.REGSaveSetting(kHKCU, "Soft\nware", "v", "1"));
  EXPECT_FALSE(reg.REGSaveSetting(kHKCU, "Soft\rware", "v", "1"));
  EXPECT_FALSE(std::filesystem::exists(file));
  // Other characters are fine, in names and in key names.
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, "Weird [key] = ok", "name] with \\ and ;#", "v"));
  EXPECT_EQ(Get("NAME] WITH \\ AND ;#", "weird [KEY] = ok"), "v");
}

TEST_F(CRegisterTest, DeletingValuesAndKeys) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "a", "1"));
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "b", "2"));
  EXPECT_TRUE(reg.REGDeleteSetting(kHKCU, "\\" + std::string(kKey) + "\\", "A"));
  EXPECT_EQ(Get("a"), "<default>");
  EXPECT_EQ(Get("b"), "2");
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, kKey, "a")); // already gone
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "Software\\Nothing", "b"));

  // A key is deleted by its path exactly as given.
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "\\" + std::string(kKey), ""));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "Software\\Quillmark Vidtrawl", "")); // subkey
  EXPECT_TRUE(reg.REGDeleteSetting(kHKCU, "software\\quillmark vidtrawl\\settings", ""));
  EXPECT_EQ(Get("b"), "<default>");
  EXPECT_EQ(ReadFile(file).find("Settings"), std::string::npos);
  EXPECT_TRUE(reg.REGDeleteSetting(kHKCU, "Software\\Quillmark Vidtrawl", ""));
  EXPECT_FALSE(reg.REGDeleteSetting(kHKCU, "Software\\Quillmark Vidtrawl", ""));
}

TEST_F(CRegisterTest, HandEditedFileIsReadAndKeptAsWritten) {
  const std::string text = "# notes the user wrote\r\n"
                           "[hkey_current_user\\software\\quillmark vidtrawl\\settings]\r\n"
                           "URL Mon=false\r\n"
                           "Download Dir=/data/Videos\r\n";
  WriteFile(file, text);
  EXPECT_EQ(Get("url mon"), "false");
  EXPECT_EQ(Get("Download Dir"), "/data/Videos");
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  EXPECT_EQ(ReadFile(file), "# notes the user wrote\r\n"
                            "[hkey_current_user\\software\\quillmark vidtrawl\\settings]\r\n"
                            "URL Mon=True\n"
                            "Download Dir=/data/Videos\r\n");
}

TEST_F(CRegisterTest, CorruptFileHoldsNoValuesAndSurvivesAWrite) {
  std::string garbage = vidtrawl::testing::Pattern(8192, 7);
  WriteFile(file, garbage);
  EXPECT_EQ(Get("URL Mon"), "<default>");
  EXPECT_EQ(Get("*"), "<default>");
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  std::string after = ReadFile(file);
  EXPECT_EQ(after.substr(0, garbage.size()), garbage);
  EXPECT_EQ(Get("URL Mon"), "True");
}

TEST_F(CRegisterTest, PartlyDamagedFileKeepsWhatCanBeRead) {
  WriteFile(file, "[HKEY_CURRENT_USER\\Software\\Quillmark Vidtrawl\\Settings]\n"
                  "Download Dir=/data/Videos\n"
                  "\x01\x02 torn line without an equals sign\n"
                  "[HKEY_CURRENT_USER\\Software\\Other\n"
                  "Other=1\n");
  EXPECT_EQ(Get("Download Dir"), "/data/Videos");
  EXPECT_EQ(Get("Other"), "1"); // the torn header is not a section: still the same key
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "False"));
  std::string after = ReadFile(file);
  EXPECT_NE(after.find("\x01\x02 torn line without an equals sign\n"), std::string::npos);
  EXPECT_NE(after.find("[HKEY_CURRENT_USER\\Software\\Other\n"), std::string::npos);
  EXPECT_EQ(Get("Download Dir"), "/data/Videos");
  EXPECT_EQ(Get("URL Mon"), "False");
}

TEST_F(CRegisterTest, FileTheUserMayOnlyReadIsStillRead) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  const std::string before = ReadFile(file);
  // The file and its folder: readable by everyone, writable by no one.
  std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::others_read);
  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                      std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                      std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
  EXPECT_TRUE(RunUnprivileged([&] {
    CRegister readOnly(file);
    return readOnly.REGGetSetting(kHKCU, kKey, "URL Mon", "") == "True";
  }));
  EXPECT_TRUE(RunUnprivileged([&] {
    CRegister readOnly(file);
    return !readOnly.REGSaveSetting(kHKCU, kKey, "URL Mon", "False") &&
           !readOnly.REGDeleteSetting(kHKCU, kKey, "URL Mon");
  }));
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(CRegisterTest, FileNobodyMayReadIsNeverReplaced) {
  ASSERT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True"));
  const std::string before = ReadFile(file);
  // Readable by its owner only, in a folder everyone may write to.
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  EXPECT_TRUE(RunUnprivileged([&] {
    CRegister other(file);
    return other.REGGetSetting(kHKCU, kKey, "URL Mon", "none") == "none" &&
           !other.REGSaveSetting(kHKCU, kKey, "Download Dir", "/x");
  }));
  EXPECT_EQ(ReadFile(file), before);
}

TEST(CRegisterFile, DefaultFileFollowsXdgConfigHomeThenHome) {
  TempDir dir;
  const char *oldXdg = std::getenv("XDG_CONFIG_HOME");
  const char *oldHome = std::getenv("HOME");
  std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";

  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  EXPECT_EQ(CRegister::DefaultFile(), dir / "config" / "vidtrawl" / "registry.ini");
  CRegister reg;
  EXPECT_TRUE(reg.REGSaveSetting(kHKCU, kKey, "URL Mon", "True")); // folders made on the way
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "config" / "vidtrawl" / "registry.ini"));

  ::setenv("HOME", (dir / "home").c_str(), 1);
  for (const char *ignored : {"", "relative/config"}) {
    ::setenv("XDG_CONFIG_HOME", ignored, 1);
    EXPECT_EQ(CRegister::DefaultFile(), dir / "home" / ".config" / "vidtrawl" / "registry.ini");
  }
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(CRegister::DefaultFile(), dir / "home" / ".config" / "vidtrawl" / "registry.ini");

  oldXdg ? ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
  oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}
