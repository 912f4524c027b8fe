#include "list/DownloadList.h"

#include <gtest/gtest.h>

namespace vidtrawl::list {
namespace {

using Rows = std::vector<std::string>;

// The list as "ID|Video_URL|FileName|Status|FileSize" rows.
Rows Shown(const DownloadList &list) {
  Rows rows;
  for (const DownloadItem &item : list)
    rows.push_back(std::to_string(item.ID) + "|" + item.Video_URL + "|" + item.FileName + "|" +
                   item.Status + "|" + item.FileSize);
  return rows;
}

// Each operation on the list "a b c": the items afterwards, numbered 1, 2, 3
// in list order.
TEST(DownloadList, EachOperationKeepsTheItemsNumberedInOrder) {
  const std::string a = "1|a|fa|Waiting|????", b = "2|b|fb|Complete|1 MB", c = "3|c|fc|ERROR|0";
  const struct {
    const char *name;
    std::function<bool(DownloadList &)> change; // its answer: true
    Rows after;
  } cases[] = {
      {"remove 1",
       [](DownloadList &l) { return l.RemoveItem(1); },
       {"1|b|fb|Complete|1 MB", "2|c|fc|ERROR|0"}},
      {"remove 2", [](DownloadList &l) { return l.RemoveItem(2); }, {a, "2|c|fc|ERROR|0"}},
      {"remove 3", [](DownloadList &l) { return l.RemoveItem(3); }, {a, b}},
      {"remove 4", [](DownloadList &l) { return l.RemoveItem(4); }, {a, b, c}},
      {"remove 0", [](DownloadList &l) { return l.RemoveItem(0); }, {a, b, c}},
      {"up 1", [](DownloadList &l) { return l.MoveItemUp(1), true; }, {a, b, c}},
      {"up 2",
       [](DownloadList &l) { return l.MoveItemUp(2), true; },
       {"1|b|fb|Complete|1 MB", "2|a|fa|Waiting|????", c}},
      {"up 3",
       [](DownloadList &l) { return l.MoveItemUp(3), true; },
       {a, "2|c|fc|ERROR|0", "3|b|fb|Complete|1 MB"}},
      {"up 4", [](DownloadList &l) { return l.MoveItemUp(4), true; }, {a, b, c}},
      {"down 0", [](DownloadList &l) { return l.MoveItemDown(0), true; }, {a, b, c}},
      {"down 1",
       [](DownloadList &l) { return l.MoveItemDown(1), true; },
       {"1|b|fb|Complete|1 MB", "2|a|fa|Waiting|????", c}},
      {"down 2",
       [](DownloadList &l) { return l.MoveItemDown(2), true; },
       {a, "2|c|fc|ERROR|0", "3|b|fb|Complete|1 MB"}},
      {"down 3", [](DownloadList &l) { return l.MoveItemDown(3), true; }, {a, b, c}},
      {"update nothing",
       [](DownloadList &l) { return l.UpdateItem(2, "", "", "", ""); },
       {a, b, c}},
      {"update some",
       [](DownloadList &l) {
         return l.UpdateItem(2, "", "n", "", "") && l.UpdateItem(3, "u", "", "W", "5");
       },
       {a, "2|b|n|Complete|1 MB", "3|u|fc|W|5"}},
      {"update unknown IDs",
       [](DownloadList &l) {
         return l.UpdateItem(0, "x", "", "", "") && l.UpdateItem(4, "x", "", "", "");
       },
       {a, b, c}},
      {"add a listed address",
       [](DownloadList &l) { return l.AddItem("b", "other", "", ""); },
       {a, b, c}},
      {"add one differing in case or length",
       [](DownloadList &l) {
         return l.AddItem("B", "fB", "", "") && l.AddItem("b ", "", "x", "9");
       },
       {a, b, c, "4|B|fB|Waiting|????", "5|b ||x|9"}},
      {"an address again once it is gone",
       [](DownloadList &l) { return l.RemoveItem(1) && l.AddItem("a", "again", "", ""); },
       {"1|b|fb|Complete|1 MB", "2|c|fc|ERROR|0", "3|a|again|Waiting|????"}},
      {"an address again once it is changed",
       [](DownloadList &l) {
         return l.UpdateItem(3, "z", "", "", "") && l.AddItem("c", "", "", "");
       },
       {a, b, "3|z|fc|ERROR|0", "4|c||Waiting|????"}},
      // Equal addresses all survive a removal, and every survivor gets the defaults.
      {"remove with equal addresses",
       [](DownloadList &l) {
         l.SetVideoURL(0, "same");
         l.SetVideoURL(1, "same");
         l.SetStatus(1, "");
         l.SetFileSize(1, "");
         return l.RemoveItem(3);
       },
       {"1|same|fa|Waiting|????", "2|same|fb|Waiting|????"}},
      {"fields of an index beyond the end",
       [](DownloadList &l) {
         l.SetVideoURL(3, "x");
         l.SetFileName(3, "x");
         l.SetStatus(3, "x");
         l.SetFileSize(3, "x");
         return true;
       },
       {a, b, c}},
  };
  for (const auto &k : cases) {
    SCOPED_TRACE(k.name);
    DownloadList list;
    list.AddItem("a", "fa", "", "");
    list.AddItem("b", "fb", "Complete", "1 MB");
    list.AddItem("c", "fc", "ERROR", "0");
    EXPECT_TRUE(k.change(list));
    EXPECT_EQ(Shown(list), k.after);
    for (std::size_t i = 0; i < list.Count(); ++i)
      EXPECT_EQ(list.IndexOfSerial(list.SerialAt(i)), i);
  }
}

TEST(DownloadList, SerialsAndFileNamesFollowTheItems) {
  DownloadList list;
  EXPECT_FALSE(list.RemoveItem(1)); // an empty list
  for (const char *url : {"a", "b", "c"})
    list.AddItem(url, "clip.flv", "", "");
  const std::uint64_t first = list.SerialAt(0), last = list.SerialAt(2);
  list.MoveItemDown(1);
  list.RemoveItem(2);
  EXPECT_EQ(list.IndexOfSerial(first), std::nullopt);
  EXPECT_EQ(list.IndexOfSerial(last), 1u);
  EXPECT_EQ(list.CountOfFileName("clip.flv"), 2u);
  list.SetFileName(0, "other.flv");
  EXPECT_EQ(list.CountOfFileName("clip.flv"), 1u);
  EXPECT_EQ(list.CountOfFileName("other.flv"), 1u);
  list.RemoveItem(1);
  list.RemoveItem(1);
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_EQ(list.CountOfFileName("clip.flv"), 0u);
}

TEST(DownloadList, HoldsAtMost32767Items) {
  DownloadList list;
  for (std::size_t i = 0; i < 32767; ++i)
    ASSERT_TRUE(list.AddItem(std::to_string(i), "", "", ""));
  EXPECT_FALSE(list.AddItem("one more", "", "", ""));
  EXPECT_TRUE(list.AddItem("5", "", "", "")); // listed already
  EXPECT_EQ(list.Count(), 32767u);
  EXPECT_TRUE(list.RemoveItem(5));
  EXPECT_TRUE(list.AddItem("one more", "", "", ""));
  EXPECT_EQ(list[4].Video_URL, "5");
  EXPECT_EQ(list[32766].ID, 32767);
  EXPECT_EQ(list[32766].Video_URL, "one more");
}

} // namespace
} // namespace vidtrawl::list
