#include "list/DownloadList.h"
#include "list/Status.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using vidtrawl::list::DownloadItem;
using vidtrawl::list::DownloadList;

namespace {

// The list as "ID|Video_URL|FileName|Status|FileSize" rows.
std::vector<std::string> Rows(const DownloadList &list) {
  std::vector<std::string> rows;
  for (const DownloadItem &item : list)
    rows.push_back(std::to_string(item.ID) + "|" + item.Video_URL + "|" + item.FileName + "|" +
                   item.Status + "|" + item.FileSize);
  return rows;
}

DownloadList ThreeItems() {
  DownloadList list;
  list.AddItem("a", "fa", "Waiting", "????");
  list.AddItem("b", "fb", "Complete", "1 MB");
  list.AddItem("c", "fc", "ERROR", "0");
  return list;
}

using Rows_ = std::vector<std::string>;

} // namespace

TEST(DownloadListAdd, NumbersFromOneAndStoresFields) {
  DownloadList list;
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_TRUE(list.AddItem("http://youtube.com/1", "Waiting (Auto Detect)", "", ""));
  EXPECT_TRUE(list.AddItem("http://youtube.com/2", "name.flv", "Link is not supported", "0"));
  EXPECT_FALSE(list.IsListEmpty());
  EXPECT_EQ(Rows(list), (Rows_{"1|http://youtube.com/1|Waiting (Auto Detect)|Waiting|????",
                               "2|http://youtube.com/2|name.flv|Link is not supported|0"}));
}

TEST(DownloadListAdd, DuplicateIsExactAndCaseSensitive) {
  DownloadList list;
  EXPECT_TRUE(list.AddItem("http://a/x", "f1", "s1", "1"));
  EXPECT_TRUE(list.AddItem("http://a/x", "f2", "s2", "2")); // already there: unchanged
  EXPECT_EQ(list.Count(), 1u);
  EXPECT_EQ(list[0].FileName, "f1");
  EXPECT_TRUE(list.AddItem("http://A/x", "f3", "", ""));  // differs in case
  EXPECT_TRUE(list.AddItem("http://a/x ", "f4", "", "")); // differs in length
  EXPECT_EQ(Rows(list), (Rows_{"1|http://a/x|f1|s1|1", "2|http://A/x|f3|Waiting|????",
                               "3|http://a/x |f4|Waiting|????"}));
}

TEST(DownloadListAdd, FullListRefusesNewButAcceptsListedAddress) {
  DownloadList list;
  for (std::size_t i = 0; i < DownloadList::kMaxItems; ++i)
    ASSERT_TRUE(list.AddItem(std::to_string(i), "", "", ""));
  EXPECT_EQ(list.Count(), 32767u);
  EXPECT_EQ(list[32766].ID, 32767);
  EXPECT_FALSE(list.AddItem("one more", "", "", ""));
  EXPECT_EQ(list.Count(), 32767u);
  EXPECT_TRUE(list.AddItem("5", "", "", "")); // listed already
  EXPECT_EQ(list.Count(), 32767u);
}

TEST(DownloadListUpdate, ReplacesOnlyNonEmptyValues) {
  DownloadList list = ThreeItems();
  const auto before = Rows(list);
  EXPECT_TRUE(list.UpdateItem(2, "", "", "", ""));
  EXPECT_EQ(Rows(list), before);
  EXPECT_TRUE(list.UpdateItem(2, "", "new.flv", "", ""));
  EXPECT_TRUE(list.UpdateItem(3, "u", "", "Waiting", "5 KB"));
  EXPECT_EQ(Rows(list),
            (Rows_{"1|a|fa|Waiting|????", "2|b|new.flv|Complete|1 MB", "3|u|fc|Waiting|5 KB"}));
  const auto after = Rows(list);
  for (int id : {0, -1, 4, 40000})
    EXPECT_TRUE(list.UpdateItem(id, "x", "x", "x", "x")) << id;
  EXPECT_EQ(Rows(list), after);
}

TEST(DownloadListRemove, RenumbersSurvivorsInOrder) {
  struct Case {
    int id;
    Rows_ expected;
  } cases[] = {
      {1, {"1|b|fb|Complete|1 MB", "2|c|fc|ERROR|0"}},
      {2, {"1|a|fa|Waiting|????", "2|c|fc|ERROR|0"}},
      {3, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB"}},
      {4, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
      {0, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
  };
  for (const Case &c : cases) {
    DownloadList list = ThreeItems();
    EXPECT_TRUE(list.RemoveItem(c.id));
    EXPECT_EQ(Rows(list), c.expected) << c.id;
  }
}

TEST(DownloadListRemove, EmptyListReportsFalse) {
  DownloadList list;
  EXPECT_FALSE(list.RemoveItem(1));
  list.AddItem("a", "", "", "");
  EXPECT_TRUE(list.RemoveItem(1));
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_FALSE(list.RemoveItem(1));
}

TEST(DownloadListRemove, EqualAddressesAllSurviveAndDefaultsApply) {
  DownloadList list;
  list.AddItem("p1", "", "", "");
  list.AddItem("p2", "", "", "");
  list.AddItem("p3", "", "", "");
  // Both failed items now carry the same message as their address.
  list.SetVideoURL(0, vidtrawl::list::kVideoInappropriate);
  list.SetVideoURL(1, vidtrawl::list::kVideoInappropriate);
  list.SetStatus(1, "");
  list.SetFileSize(1, "");
  EXPECT_TRUE(list.RemoveItem(3));
  const std::string message = vidtrawl::list::kVideoInappropriate;
  EXPECT_EQ(Rows(list),
            (Rows_{"1|" + message + "||Waiting|????", "2|" + message + "||Waiting|????"}));
}

TEST(DownloadListRemove, ManyItemsKeepIdEqualIndexPlusOne) {
  DownloadList list;
  for (int i = 0; i < 2000; ++i)
    list.AddItem("u" + std::to_string(i), "", "", "");
  for (int id : {1, 1000, 1998, 500})
    list.RemoveItem(id);
  ASSERT_EQ(list.Count(), 1996u);
  for (std::size_t i = 0; i < list.Count(); ++i)
    ASSERT_EQ(list[i].ID, static_cast<int>(i) + 1);
  EXPECT_EQ(list[0].Video_URL, "u1");
  EXPECT_EQ(list[498].Video_URL, "u499");
  EXPECT_EQ(list[499].Video_URL, "u501");
  EXPECT_EQ(list[1995].Video_URL, "u1998"); // "u1999" went as ID 1998
}

TEST(DownloadListMove, UpAndDown) {
  struct Case {
    const char *what;
    bool up;
    int id;
    Rows_ expected;
  } cases[] = {
      {"first up", true, 1, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
      {"second up", true, 2, {"1|b|fb|Complete|1 MB", "2|a|fa|Waiting|????", "3|c|fc|ERROR|0"}},
      {"last up", true, 3, {"1|a|fa|Waiting|????", "2|c|fc|ERROR|0", "3|b|fb|Complete|1 MB"}},
      {"unknown up", true, 9, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
      {"first down", false, 1, {"1|b|fb|Complete|1 MB", "2|a|fa|Waiting|????", "3|c|fc|ERROR|0"}},
      {"second down", false, 2, {"1|a|fa|Waiting|????", "2|c|fc|ERROR|0", "3|b|fb|Complete|1 MB"}},
      {"last down", false, 3, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
      {"unknown down", false, 0, {"1|a|fa|Waiting|????", "2|b|fb|Complete|1 MB", "3|c|fc|ERROR|0"}},
  };
  for (const Case &c : cases) {
    DownloadList list = ThreeItems();
    if (c.up)
      list.MoveItemUp(c.id);
    else
      list.MoveItemDown(c.id);
    EXPECT_EQ(Rows(list), c.expected) << c.what;
  }
}

TEST(DownloadListMove, TwoItemsAndOneItem) {
  DownloadList two;
  two.AddItem("x", "", "", "");
  two.AddItem("y", "", "", "");
  two.MoveItemUp(2);
  EXPECT_EQ(Rows(two), (Rows_{"1|y||Waiting|????", "2|x||Waiting|????"}));
  two.MoveItemDown(1);
  EXPECT_EQ(Rows(two), (Rows_{"1|x||Waiting|????", "2|y||Waiting|????"}));

  DownloadList one;
  one.AddItem("x", "", "", "");
  one.MoveItemUp(1);
  one.MoveItemDown(1);
  EXPECT_EQ(Rows(one), (Rows_{"1|x||Waiting|????"}));

  DownloadList none;
  none.MoveItemUp(1);
  none.MoveItemDown(1);
  EXPECT_TRUE(none.IsListEmpty());
}

TEST(DownloadListAccess, IndexAndCheckedAccess) {
  DownloadList list = ThreeItems();
  list.SetStatus(1, "42");
  EXPECT_EQ(list.At(1).Status, "42");
  EXPECT_EQ(list.Items().size(), 3u);
  EXPECT_THROW(list.At(3), std::out_of_range);
  const DownloadList &view = list;
  EXPECT_THROW(view.At(3), std::out_of_range);
}
