// The settings file as the store reads and writes it, one operation per row with the file's text
// before and after, and the texts of its values.
#include "settings/BooleanText.h"
#include "settings/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <tuple>

namespace vidtrawl::settings {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// "$" in a file text stands for HKEY_CURRENT_USER.
std::string Text(std::string text) {
  for (std::size_t at = text.find('$'); at != std::string::npos; at = text.find('$', at))
    text.replace(at, 1, "HKEY_CURRENT_USER");
  return text;
}

// How many entries the folder holds (no stray temporary files).
long Entries(const fs::path &folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

unsigned Mode(const fs::path &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SettingsFile, EachOperationReadsAndWritesTheFileAsAgreed) {
  // The file before (nothing: none), 'g'et (answer: the value or "<none>") or 's'ave
  // ("yes"/"no"), key, name, value, answer, the file after (nothing: as before).
  using S = const char *;
  const std::tuple<S, char, S, S, S, S, S> cases[] = {
      {nullptr, 'g', "A", "v", "", "<none>", nullptr},
      {nullptr, 's', "Software\\Q\\Settings", "URL Mon", "C:\\a\r\nb", "yes",
       "[$\\Software]\n\n[$\\Software\\Q]\n\n[$\\Software\\Q\\Settings]\nURL "
       "Mon=C:\\\\a\\r\\nb\n"},
      {"[$\\A]\nv=a\\tb\\\\\\nc\\\n", 'g', "A", "v", "", "a\\tb\\\nc\\", nullptr},
      // The default value: "*" or "", written "@"; "@" is no name of its own.
      {nullptr, 's', "A", "*", "d", "yes", "[$\\A]\n@=d\n"},
      {"[$\\A]\n@=d\n", 'g', "A", "", "", "d", nullptr},
      {"[$\\A]\n@=d\n", 'g', "A", "@", "", "<none>", nullptr},
      {"[$\\A]\n@=d\n", 's', "A", "@", "x", "no", nullptr},
      // Names and keys the file cannot hold.
      {"[$\\A]\n", 's', "A", "a=b", "v", "no", nullptr},
      {"[$\\A]\n", 's', "A", "[b", "v", "no", nullptr},
      {"[$\\A]\n", 's', "A", "line\nbreak", "v", "no", nullptr},
      {nullptr, 's', "W [k] = ok", "n] \\ ;#", "v", "yes", "[$\\W [k] = ok]\nn] \\ ;#=v\n"},
      // Letter case is ignored; the first spelling stays.
      {"[$\\W [k] = ok]\nn] \\ ;#=v\n", 'g', "w [K] = OK", "N] \\ ;#", "", "v", nullptr},
      {"[$\\Soft\\Q]\nURL Mon=True\n", 's', "SOFT\\q", "url mon", "False", "yes",
       "[$\\Soft\\Q]\nURL Mon=False\n"},
      {"[hkey_current_user\\a]\r\nv=True\r\n", 'g', "A", "V", "", "True", nullptr},
      // One separator at each end of a key path is ignored, no more.
      {"[$\\A\\B]\nv=1\n", 'g', "\\A\\B\\", "v", "", "1", nullptr},
      {"[$\\A\\B]\nv=1\n", 'g', "\\\\A\\B", "v", "", "<none>", nullptr},
      {"[$\\A\\B]\nv=1\n", 'g', "A\\\\B", "v", "", "<none>", nullptr},
      {"[$\\A\\B]\nv=1\n", 'g', "A\\B\\\\", "v", "", "<none>", nullptr},
      {"[$\\A\\B]\nv=1\n", 'g', "A", "v", "", "<none>", nullptr},
      // The root holds values of its own.
      {nullptr, 's', "", "top", "1", "yes", "[$]\ntop=1\n"},
      {"[$]\ntop=1\n", 'g', "\\", "top", "", "1", nullptr},
      {"[$\\A]\nv=\n", 'g', "A", "v", "", "<none>", nullptr}, // an empty value holds nothing
      // Hand-edited and damaged files keep every line a change does not touch.
      {"# notes\r\n[hkey_current_user\\a]\r\nURL Mon=false\r\nX=1\r\n", 's', "A", "url mon", "True",
       "yes", "# notes\r\n[hkey_current_user\\a]\r\nURL Mon=True\nX=1\r\n"},
      {"[$\\A]\nD=/v\n\x01 torn\n[$\\Other\nO=1\n", 'g', "A", "O", "", "1", nullptr},
      {"[$\\A]\nD=/v\n\x01 torn\n[$\\Other\nO=1\n", 's', "A", "N", "2", "yes",
       "[$\\A]\nD=/v\n\x01 torn\n[$\\Other\nO=1\nN=2\n"},
      {"[$\\A]\nx=1\n\nstray\n[$\\B]\n", 's', "a", "y", "2", "yes",
       "[$\\A]\nx=1\ny=2\n\nstray\n[$\\B]\n"},
      {"[$\\A]\nx=1", 's', "A", "x", "3", "yes", "[$\\A]\nx=3"},
      {"[$\\A]\nx=1", 's', "A", "y", "2", "yes", "[$\\A]\nx=1\ny=2\n"},
      {"[$\\A]\n\n", 's', "B", "v", "1", "yes", "[$\\A]\n\n[$\\B]\nv=1\n"},
      // A section named twice is one key.
      {"[$\\A]\nx=1\n[$\\a]\ny=2\ny=3\n", 'g', "A", "y", "", "2", nullptr},
      {"[$\\A]\nx=1\n[$\\a]\ny=2\ny=3\n", 's', "A", "y", "4", "yes",
       "[$\\A]\nx=1\n[$\\a]\ny=4\ny=3\n"},
      // Keys above a section exist without a section of their own.
      {"[$\\A\\B\\C]\nv=1\n", 's', "A", "w", "2", "yes", "[$\\A\\B\\C]\nv=1\n\n[$\\A]\nw=2\n"},
      {"[$\\A\\BC]\n", 's', "A\\B", "w", "1", "yes", "[$\\A\\BC]\n\n[$\\A\\B]\nw=1\n"},
  };
  TempDir dir;
  const fs::path file = dir / "registry.ini";
  for (const auto &[before, op, key, name, value, answer, changed] : cases) {
    SCOPED_TRACE(std::string(1, op) + " " + key + " " + name + " in " +
                 (before ? before : "no file"));
    fs::remove(file);
    if (before)
      WriteFile(file, Text(before));
    SettingsStore reg(file);
    EXPECT_EQ(op == 'g'                    ? reg.Get(key, name, "<none>")
              : reg.Save(key, name, value) ? "yes"
                                           : "no",
              answer);
    const char *after = changed ? changed : before;
    EXPECT_EQ(fs::exists(file), after != nullptr);
    EXPECT_EQ(ReadFile(file), after ? Text(after) : "");
  }
}

// A corrupt file holds no values and keeps its bytes through a write; a folder, a FIFO (read
// without waiting for a writer), a path below a plain file and no path at all hold no values
// and are never replaced.
TEST(SettingsFile, DamagedOrOddFilesHoldNoValuesAndLoseNothing) {
  TempDir dir;
  const std::string garbage = testing::Pattern(8192, 7);
  WriteFile(dir / "registry.ini", garbage);
  SettingsStore corrupt(dir / "registry.ini");
  EXPECT_EQ(corrupt.Get("A", "*", "<none>"), "<none>");
  ASSERT_TRUE(corrupt.Save("A", "v", "1"));
  EXPECT_EQ(ReadFile(dir / "registry.ini").substr(0, garbage.size()), garbage);
  EXPECT_EQ(corrupt.Get("A", "v", ""), "1");
  fs::create_directory(dir / "folder.ini");
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  WriteFile(dir / "plain", "x");
  for (const fs::path &file :
       {dir / "folder.ini", dir / "fifo.ini", dir / "plain" / "r.ini", fs::path(),
        dir / (std::string(250, 'n') + ".ini")}) { // no room for a temporary name
    SCOPED_TRACE(file);
    SettingsStore reg(file);
    EXPECT_EQ(reg.Get("A", "v", "<none>"), "<none>");
    EXPECT_FALSE(reg.Save("A", "v", "1"));
  }
  EXPECT_TRUE(fs::is_fifo(dir / "fifo.ini"));
  EXPECT_TRUE(fs::is_empty(dir / "folder.ini"));
  EXPECT_EQ(ReadFile(dir / "plain"), "x");
  EXPECT_EQ(Entries(dir.path()), 4);
}

TEST(SettingsFile, ReplacedWholePrivatelyAndThroughALink) {
  TempDir dir;
  const fs::path file = dir / "a" / "vidtrawl" / "registry.ini";
  ASSERT_TRUE(SettingsStore(file).Save("A", "v", "1"));
  EXPECT_EQ(Mode(file.parent_path()), 0700u);
  fs::permissions(file, fs::perms(0644));
  fs::create_symlink("a/vidtrawl/registry.ini", dir / "link.ini");
  ASSERT_TRUE(SettingsStore(dir / "link.ini").Save("A", "w", "2"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadFile(file), Text("[$\\A]\nv=1\nw=2\n"));
  EXPECT_EQ(Mode(file), 0600u);
  EXPECT_EQ(Entries(file.parent_path()), 1);

  // The disk fills up in the middle of the write: files may not grow past 64 bytes.
  testing::WithFileSizeLimit(
      64, [&] { EXPECT_FALSE(SettingsStore(file).Save("A", "v", std::string(4096, 'x'))); });
  EXPECT_EQ(ReadFile(file), Text("[$\\A]\nv=1\nw=2\n"));
  EXPECT_EQ(Entries(file.parent_path()), 1);
}

TEST(SettingsFile, TheDefaultFileIsUnderXdgConfigHomeWhenAbsoluteElseUnderHome) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", "/h", 1);
  for (const char *config : {"/cfg", "relative"}) {
    ::setenv("XDG_CONFIG_HOME", config, 1);
    EXPECT_EQ(SettingsStore::DefaultFile(),
              *config == '/' ? "/cfg/vidtrawl/registry.ini" : "/h/.config/vidtrawl/registry.ini");
  }
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", home.c_str(), 1);
}

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

} // namespace
} // namespace vidtrawl::settings
