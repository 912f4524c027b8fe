#include "settings/RegistryDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vidtrawl::settings::RegistryDocument;

namespace {
constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Q\\Settings";
}

TEST(RegistryDocumentEscape, BackslashCrLfOnly) {
  struct Case {
    std::string value, text;
  } cases[] = {
      {"", ""},
      {"C:\\Downloaded Videos", "C:\\\\Downloaded Videos"},
      {"a\r\nb", "a\\r\\nb"},
      {"\\r", "\\\\r"},
      {"\\", "\\\\"},
      {"a=b [c] ;d #e", "a=b [c] ;d #e"},
      {" spaced ", " spaced "},
      {"caf\xc3\xa9\t", "caf\xc3\xa9\t"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(RegistryDocument::Escape(c.value), c.text) << c.value;
    EXPECT_EQ(RegistryDocument::Unescape(c.text), c.value) << c.text;
  }
}

TEST(RegistryDocumentEscape, UnknownSequencesStayAsWritten) {
  EXPECT_EQ(RegistryDocument::Unescape("a\\tb"), "a\\tb");
  EXPECT_EQ(RegistryDocument::Unescape("end\\"), "end\\");
  EXPECT_EQ(RegistryDocument::Unescape("\\\\\\n"), "\\\n");
}

TEST(RegistryDocument, UnchangedTextComesBackByteForByte) {
  for (const std::string &text : std::vector<std::string>{
           "", "\n", "[A\\B]\nx=1\n", "[A\\B]\r\nx=1\r\n", "no newline at end", "[A\\B]\nx=1",
           "garbage\n\n=odd\n[unclosed\nstray text\n", std::string("bin\0ary\xff\n", 9)}) {
    EXPECT_EQ(RegistryDocument::Parse(text).Text(), text);
  }
}

TEST(RegistryDocument, ReadsValuesIgnoringCase) {
  RegistryDocument doc = RegistryDocument::Parse("[hkey_current_user\\SOFTWARE\\q\\settings]\n"
                                                 "URL Mon=True\r\n"
                                                 "Download Dir=/a\\\\b\n"
                                                 "@=dflt\n");
  EXPECT_TRUE(doc.HasKey(kKey));
  EXPECT_EQ(doc.Value(kKey, "url mon"), "True"); // the CR of a CRLF line is not part of it
  EXPECT_EQ(doc.Value(kKey, "DOWNLOAD DIR"), "/a\\b");
  EXPECT_EQ(doc.Value(kKey, "@"), "dflt");
  EXPECT_EQ(doc.Value(kKey, "other"), std::nullopt);
  EXPECT_EQ(doc.Value("HKEY_CURRENT_USER\\Software\\Q", "URL Mon"), std::nullopt);
}

TEST(RegistryDocument, ChangesTouchOnlyTheirLineAndKeepTheFirstCase) {
  RegistryDocument doc = RegistryDocument::Parse("stray\n"
                                                 "[HKEY_CURRENT_USER\\Software\\Q\\Settings]\n"
                                                 "URL Mon=True\n"
                                                 "hand \\t edit=\\t\n"
                                                 "not a value\n"
                                                 "\n"
                                                 "[Other]\n"
                                                 "URL Mon=keep\n");
  doc.SetValue(kKey, "url MON", "False");
  doc.SetValue(kKey, "New", "x\ny");
  EXPECT_EQ(doc.Text(), "stray\n"
                        "[HKEY_CURRENT_USER\\Software\\Q\\Settings]\n"
                        "URL Mon=False\n"
                        "hand \\t edit=\\t\n"
                        "New=x\\ny\n"
                        "not a value\n"
                        "\n"
                        "[Other]\n"
                        "URL Mon=keep\n");
}

TEST(RegistryDocument, CreatesEveryLevelOnce) {
  RegistryDocument doc = RegistryDocument::Parse("[HKEY_CURRENT_USER\\software]\na=1");
  doc.CreateKey(kKey);
  doc.CreateKey(kKey);
  EXPECT_EQ(doc.Text(), "[HKEY_CURRENT_USER\\software]\na=1\n"
                        "\n[HKEY_CURRENT_USER\\Software\\Q]\n"
                        "\n[HKEY_CURRENT_USER\\Software\\Q\\Settings]\n");
  EXPECT_TRUE(doc.HasKey("HKEY_CURRENT_USER"));
  EXPECT_TRUE(doc.HasKey("hkey_current_user\\software\\q"));
  EXPECT_FALSE(doc.HasKey("HKEY_CURRENT_USER\\Software\\Q\\Settings\\Deeper"));
}

TEST(RegistryDocument, DuplicateSectionsActAsOneKey) {
  RegistryDocument doc = RegistryDocument::Parse("[K\\A]\nx=1\n[K\\B]\n[k\\a]\ny=2\ny=3\n");
  EXPECT_EQ(doc.Value("K\\A", "y"), "2");
  doc.SetValue("K\\A", "Y", "4");
  EXPECT_EQ(doc.Value("K\\A", "y"), "4");
  EXPECT_TRUE(doc.DeleteValue("K\\A", "y"));
  EXPECT_EQ(doc.Value("K\\A", "y"), std::nullopt); // no older copy shows up again
  EXPECT_FALSE(doc.DeleteValue("K\\A", "y"));
  EXPECT_EQ(doc.Value("K\\A", "x"), "1");
}

TEST(RegistryDocument, DeleteKeyKeepsWhatItCannotRead) {
  RegistryDocument doc =
      RegistryDocument::Parse("[K\\A]\nx=1\n\n[K\\A\\B]\nz=1\n\n[K\\C]\nv=2\n??? junk\n\n[K\\D]\n");
  EXPECT_FALSE(doc.DeleteKey("K\\A")); // has a subkey
  EXPECT_FALSE(doc.DeleteKey("K\\Missing"));
  EXPECT_FALSE(doc.DeleteKey("K")); // a root
  EXPECT_TRUE(doc.DeleteKey("k\\c"));
  EXPECT_FALSE(doc.HasKey("K\\C"));
  EXPECT_EQ(doc.Text(), "[K\\A]\nx=1\n\n[K\\A\\B]\nz=1\n\n??? junk\n[K\\D]\n");
}

TEST(RegistryDocument, KeysAboveASectionExistWithoutOneOfTheirOwn) {
  RegistryDocument doc = RegistryDocument::Parse("[R\\A\\B\\C]\nv=1\n");
  EXPECT_TRUE(doc.HasKey("r\\a"));
  EXPECT_TRUE(doc.HasKey("R\\A\\B"));
  EXPECT_FALSE(doc.HasKey("R\\A\\B\\C\\D"));
  EXPECT_FALSE(doc.HasKey("R\\A\\BC"));
  doc.CreateKey("R\\A\\B\\C");
  EXPECT_EQ(doc.Text(), "[R\\A\\B\\C]\nv=1\n");
  EXPECT_FALSE(doc.DeleteKey("R\\A"));
  doc.SetValue("R\\A", "w", "2");
  EXPECT_EQ(doc.Text(), "[R\\A\\B\\C]\nv=1\n\n[R\\A]\nw=2\n");
}
