#include "list/DownloadList.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

namespace vidtrawl::list {
namespace {

// The addresses in list order, checking on the way that item n has ID n and
// is found again by its serial.
std::string Addresses(const DownloadList &list) {
  std::string text;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list[i].ID, static_cast<int>(i) + 1);
    EXPECT_EQ(list.IndexOfSerial(list.SerialAt(i)), i);
    text += (i ? " " : "") + list[i].Video_URL;
  }
  return text;
}

// Operations on the list "a b c", word by word: "rN" removes ID N, "uN"
// and "dN" move it up and down, "+X" adds address X, "N=X" sets the
// address of ID N to X.
TEST(DownloadList, EachOperationKeepsTheItemsNumberedInOrder) {
  const std::pair<const char *, const char *> cases[] = {{"r1", "b c"},
                                                         {"r2", "a c"},
                                                         {"r3", "a b"},
                                                         {"r4", "a b c"},
                                                         {"r0", "a b c"},
                                                         {"u1", "a b c"},
                                                         {"u2", "b a c"},
                                                         {"u3", "a c b"},
                                                         {"u4", "a b c"},
                                                         {"d0", "a b c"},
                                                         {"d1", "b a c"},
                                                         {"d2", "a c b"},
                                                         {"d3", "a b c"},
                                                         {"+b", "a b c"},
                                                         {"+B +bb", "a b c B bb"},
                                                         {"r1 +a", "b c a"},
                                                         {"3=z +c", "a b z c"},
                                                         {"1=s 2=s r3", "s s"},
                                                         {"1=s 2=s r1 +s", "s c"},
                                                         {"4=x", "a b c"}};
  for (const auto &[operations, after] : cases) {
    DownloadList list;
    for (const char *url : {"a", "b", "c"})
      ASSERT_TRUE(list.AddItem(url, "", "", ""));
    std::istringstream words(operations);
    for (std::string word; words >> word;) {
      const int id = std::atoi(word.c_str() + (std::isdigit(word[0]) ? 0 : 1));
      if (word[0] == 'r')
        EXPECT_TRUE(list.RemoveItem(id));
      else if (word[0] == 'u')
        list.MoveItemUp(id);
      else if (word[0] == 'd')
        list.MoveItemDown(id);
      else if (word[0] == '+')
        EXPECT_TRUE(list.AddItem(word.substr(1), "", "", ""));
      else
        list.SetVideoURL(static_cast<std::size_t>(id - 1), word.substr(word.find('=') + 1));
    }
    EXPECT_EQ(Addresses(list), after) << operations;
  }
}

TEST(DownloadList, FieldsTakeDefaultsAndOnlyNonEmptyUpdates) {
  DownloadList list;
  EXPECT_FALSE(list.RemoveItem(1)); // an empty list
  list.AddItem("a", "fa", "", "");
  list.AddItem("b", "fb", "Complete", "1 MB");
  list.AddItem("a", "other", "x", "x"); // listed already: unchanged
  EXPECT_TRUE(list.UpdateItem(2, "", "", "", ""));
  EXPECT_TRUE(list.UpdateItem(1, "", "n", "", "5"));
  EXPECT_TRUE(list.UpdateItem(3, "x", "x", "x", "x"));
  list.SetStatus(1, "");
  list.SetFileSize(1, "");
  list.SetFileName(2, "x"); // beyond the end
  const auto text = [&](std::size_t i) {
    return list[i].FileName + "|" + list[i].Status + "|" + list[i].FileSize;
  };
  EXPECT_EQ(text(0), "n|Waiting|5");
  EXPECT_EQ(text(1), "fb||");
  list.RemoveItem(3); // every survivor of a removal gets the defaults again
  EXPECT_EQ(text(1), "fb|Waiting|????");
  EXPECT_EQ(list.CountOfFileName("n"), 1u);
  list.SetFileName(0, "fb");
  EXPECT_EQ(list.CountOfFileName("fb"), 2u);
  EXPECT_EQ(list.CountOfFileName("n"), 0u);
}

TEST(DownloadList, HoldsAtMost32767Items) {
  DownloadList list;
  for (std::size_t i = 0; i < 32767; ++i)
    ASSERT_TRUE(list.AddItem(std::to_string(i), "", "", ""));
  EXPECT_FALSE(list.AddItem("one more", "", "", ""));
  EXPECT_TRUE(list.AddItem("5", "", "", "")); // listed already
  EXPECT_TRUE(list.RemoveItem(5));
  EXPECT_TRUE(list.AddItem("one more", "", "", ""));
  EXPECT_EQ(list[4].Video_URL, "5");
  EXPECT_EQ(list[32766].ID, 32767);
  EXPECT_EQ(list[32766].Video_URL, "one more");
}

} // namespace
} // namespace vidtrawl::list
