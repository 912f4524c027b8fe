#include "list/CleanFileName.h"

#include <gtest/gtest.h>

#include <string>

using vidtrawl::list::CleanFileName;

TEST(CleanFileName, RemovesTheTenCharactersAndLeadingDotsAndBlanks) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a/b:c", "abc"},
      {"Me & you?.flv", "Me  you.flv"},
      {"\\/:*?\"<>|&x", "x"},
      {"x\\y", "xy"},
      {"a<b>c|d\"e*f", "abcdef"},
      {" Clip .FLV ", "Clip .FLV "}, // case kept
      {".bashrc", "bashrc"},         // never a hidden file
      {" . .x", "x"},
      {"\x01.x", "x"},
      {"a..b", "a..b"},
      {"caf\xc3\xa9.flv", "caf\xc3\xa9.flv"},
      {std::string(300, 'n'), std::string(300, 'n')}, // no length limit
      {"../../x.flv", "x.flv"},                       // stays in the folder
  };
  for (const Case &c : cases)
    EXPECT_EQ(CleanFileName(c.in), c.out) << c.in;
}

TEST(CleanFileName, NothingUsableLeftGivesThePrompt) {
  for (const std::string in :
       {"", "???", "/", "\\/:*?\"<>|&", ".", "..", "...", "/..", "../", " . ", " ", "\x01\x1f"})
    EXPECT_EQ(CleanFileName(in), "Enter File Name") << in;
}

TEST(CleanFileName, RemovesControlCharacters) {
  EXPECT_EQ(CleanFileName(std::string("a\0b.flv", 7)), "ab.flv");
  EXPECT_EQ(CleanFileName("a\tb\r\nc\x7f.flv"), "abc.flv");
  EXPECT_EQ(CleanFileName(std::string("..\0", 3)), "Enter File Name");
  EXPECT_EQ(CleanFileName("\x80\xff"), "\x80\xff"); // other bytes stay
}
