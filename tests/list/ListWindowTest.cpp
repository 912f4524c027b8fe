// The list as the main window shows and edits it: the grid's rebuild (with
// changes arriving while it fills), the editing commands, typed file names.
#include "host/HeadlessGrid.h"
#include "list/CurrentItem.h"
#include "list/DownloadList.h"
#include "list/FileNameEdit.h"
#include "list/FormatDownloadGrid.h"
#include "list/ListBinder.h"
#include "list/ListEditor.h"
#include "support/RecordingMessageBox.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <tuple>

namespace vidtrawl::list {
namespace {

using host::kColumnFileName;
using host::kColumnID;
using host::kColumnStatus;
using host::kColumnVideoURL;
using Texts = std::vector<std::string>;

Texts Split(const std::string &list) {
  Texts parts;
  std::istringstream in(list);
  for (std::string part; std::getline(in, part, ',');)
    parts.push_back(part);
  return parts;
}

// The pieces of the main window that show and edit the list, wired together
// as the program wires them.
struct ListWindow {
  ListWindow() { binder.SetYieldInterval(std::chrono::nanoseconds::zero()); }

  // Adds items as "url|status" ("url" alone: "Waiting") and rebuilds the grid.
  void Add(const Texts &entries, bool bind = true) {
    for (const std::string &entry : entries) {
      const auto bar = entry.find('|');
      items.AddItem(entry.substr(0, bar), "f-" + entry.substr(0, bar),
                    bar == std::string::npos ? "" : entry.substr(bar + 1), "");
    }
    if (bind)
      binder.BindList();
  }
  // The grid's rows as "ID|Video_URL|Status,...", or with every column.
  std::string Rows(bool everyColumn = false) const {
    std::string rows;
    for (const auto &row : grid.Texts())
      rows += (rows.empty() ? "" : ",") + row[0] + "|" + row[1] + "|" +
              (everyColumn ? row[2] + "|" : "") + row[3] + (everyColumn ? "|" + row[4] : "");
    return rows;
  }
  // The store's items as "ID|Video_URL|Status,...".
  std::string Stored() const {
    std::string rows;
    for (const DownloadItem &item : items)
      rows += (rows.empty() ? "" : ",") + std::to_string(item.ID) + "|" + item.Video_URL + "|" +
              item.Status;
    return rows;
  }
  // Runs the action at each pump call from now on, counting calls from 1.
  void OnPump(std::function<void(long call)> action) {
    pump.calls = 0;
    pump.action = std::move(action);
  }
  host::GridRow RowAt(int index) const { return *grid.Row(index); }
  // Word by word: "rN" selects row N, "cN.M" cell M of row N, "all" every row; "iN=TEXT" puts TEXT
  // ('_': blank) into row N's ID cell; "+U" adds address U, "-N" removes item N (the store alone);
  // "bind" is a nested rebuild; "remove", "clear", "up", "down" the commands; "detach" unbinds.
  void Change(const std::string &words) {
    const std::map<std::string, void (ListEditor::*)()> commands = {
        {"all", &ListEditor::SelectAll},
        {"remove", &ListEditor::RemoveSelected},
        {"clear", &ListEditor::ClearCompleted},
        {"up", &ListEditor::MoveSelectedUp},
        {"down", &ListEditor::MoveSelectedDown}};
    std::istringstream in(words);
    for (std::string word; in >> word;) {
      const int row = std::atoi(word.c_str() + 1);
      if (const auto command = commands.find(word); command != commands.end())
        (editor.*command->second)();
      else if (word == "bind")
        EXPECT_FALSE(binder.BindList()) << "a nested rebuild returns at once";
      else if (word[0] == '+')
        items.AddItem(word.substr(1), "f-" + word.substr(1), "", "");
      else if (word == "detach")
        grid.SetDataSource(nullptr);
      else if (word[0] == '-')
        items.RemoveItem(row);
      else if (word[0] == 'r')
        grid.SetRowSelected(RowAt(row), true);
      else if (word[0] == 'c')
        grid.SetCellSelected({RowAt(row), std::atoi(word.c_str() + word.find('.') + 1)}, true);
      else {
        std::string text = word.substr(word.find('=') + 1);
        std::replace(text.begin(), text.end(), '_', ' ');
        grid.SetCellValue(RowAt(row), kColumnID, text);
      }
    }
  }

  DownloadList items;
  host::HeadlessGrid grid;
  testing::ScriptedPump pump;
  testing::RecordingMessageBox messages;
  CurrentItem current;
  ListBinder binder{items, grid, pump, messages};
  ListEditor editor{items, grid, binder, current};
};

TEST(BindList, ShowsEveryItemCutToItsColumnInCharacters) {
  ListWindow w;
  std::string accents;
  for (int i = 0; i < 300; ++i)
    accents += "\xC3\xA9";
  w.items.AddItem("http://a", "fa", "Complete", "1 MB");
  w.items.AddItem(std::string(300, 'u'), std::string(150, 'n'), std::string(130, 's'),
                  "123456789012");
  w.items.AddItem(accents, "f", "", "");
  EXPECT_TRUE(w.binder.BindList());
  EXPECT_EQ(w.Rows(true), "1|http://a|fa|Complete|1 MB,2|" + std::string(219, 'u') + "|" +
                              std::string(100, 'n') + "|" + std::string(120, 's') +
                              "|1234567890,3|" + accents.substr(0, 2 * 219) + "|f|Waiting|????");
  EXPECT_EQ(w.items[1].Video_URL, std::string(300, 'u')); // the store keeps it whole
  EXPECT_TRUE(w.messages.shown.empty());
}

// Changes that arrive while the grid fills: a nested rebuild returns at
// once and the outer one fills again, so the grid ends showing the list as
// it is, and no row names another item than the one it shows.
TEST(BindList, ChangesDuringTheFillAreShownAfterIt) {
  const std::tuple<const char *, long, const char *, const char *, bool> cases[] = {
      {"a,b,c", 2, "+d bind", "", true},
      {"a,b,c", 1, "-1 -1 bind", "", true},
      {"a,b,c,d", 3, "-4 -1 clear", "", true},
      {"a,b", 1, "all remove", "", false},
      {"A,B,C", 2, "-1 bind", "r0 remove", true}}; // the row showing B: B goes, not C
  for (const auto &[items, at, change, then, shown] : cases) {
    SCOPED_TRACE(std::string(change) + " on " + items);
    ListWindow w;
    w.Add(Split(items));
    w.OnPump([&](long call) {
      if (call == at)
        w.Change(change);
    });
    EXPECT_EQ(w.binder.BindList(), shown);
    EXPECT_FALSE(w.binder.BindBusy());
    w.pump.action = nullptr;
    w.Change(then);
    EXPECT_EQ(w.Rows(), w.Stored());
    EXPECT_EQ(w.grid.HasDataSource(), !w.items.IsListEmpty());
  }
}

TEST(BindList, AFailedFillKeepsThePreviousRowsAndSaysWhy) {
  const std::string fill = "An error occured while filling the Download list\r";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[] { throw std::bad_alloc(); }, fill + "7:Out of memory"},
      {[] { throw std::out_of_range("x"); }, fill + "9:Subscript out of range"},
      {[] { throw std::runtime_error("disk on fire"); }, fill + "440:disk on fire"},
      {[] { throw std::runtime_error(""); }, fill + "440:Automation error"},
      {[] { throw 42; }, fill + "440:Automation error"},
      {[] { throw host::GridUnavailable("grid closed"); }, ""}, // nobody to tell
  };
  for (const auto &[fail, message] : cases) {
    SCOPED_TRACE(message);
    ListWindow w;
    w.Add({"a", "b"});
    const auto *before = w.binder.rsDownloadList();
    const auto generation = w.grid.Generation();
    w.items.AddItem("c", "f-c", "", "");
    w.OnPump([&](long call) {
      if (call == 2)
        fail();
    });
    EXPECT_FALSE(w.binder.BindList());
    EXPECT_FALSE(w.binder.BindBusy());
    EXPECT_EQ(w.grid.Generation(), generation);
    EXPECT_EQ(w.binder.rsDownloadList(), before);
    ASSERT_EQ(w.messages.shown.size(), message.empty() ? 0u : 1u);
    for (const auto &shown : w.messages.shown) {
      EXPECT_EQ(shown.text, message);
      EXPECT_EQ(shown.icon, host::MessageBox::Icon::Error);
      EXPECT_EQ(shown.title, "Vidtrawl");
    }
    w.pump.action = nullptr; // usable again
    EXPECT_TRUE(w.binder.BindList());
    EXPECT_EQ(w.grid.RowCount(), 3);
  }
}

// The columns are laid out at start-up and by the first binding of a list,
// which later bindings only reattach; a list emptied is laid out afresh.
TEST(BindList, OnlyTheFirstBindingOfAListLaysTheColumnsOut) {
  ListWindow w;
  w.binder.FormatDownloadGrid(true);
  EXPECT_EQ(w.grid.LayoutsApplied(), 1);
  w.Add({"a|Complete"});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  w.grid.SetColumnWidth(kColumnVideoURL, 5000); // the user widens a column
  w.Change("c0.3 r0");
  w.Add({"b"});
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  EXPECT_EQ(w.grid.ColumnWidth(kColumnVideoURL), 5000);
  EXPECT_EQ(w.grid.SelectedCellCount(), 0); // a rebuild drops the selection
  EXPECT_FALSE(w.grid.RowSelected(w.RowAt(0)));
  w.items.RemoveItem(2);
  w.editor.ClearCompleted(); // an empty list is only detached
  EXPECT_EQ(w.grid.LayoutsApplied(), 2);
  w.Add({"c"});
  EXPECT_EQ(w.grid.LayoutsApplied(), 3);
  EXPECT_EQ(w.grid.ColumnWidth(kColumnVideoURL), 3800);
}

// A grid that cannot take a data source (its control is gone) is laid out
// afresh by the next binding instead of being thought formatted.
TEST(BindList, AGridThatRefusesItsSourceIsLaidOutAfresh) {
  struct DetachedGrid final : host::Grid {
    void AttachSource(const host::DownloadRecordset *) override { throw std::runtime_error(""); }
    int Rows() const override { return 0; }
    std::string Text(int, int) const override { return {}; }
    void WriteValue(int, int, const std::string &) override {}
    bool RowSelectedAt(int) const override { return false; }
    void SelectRowAt(int, bool) override {}
    bool CellSelectedAt(int, int) const override { return false; }
    void SelectCellAt(int, int, bool) override {}
    int SelectedCellsCount() const override { return 0; }
    std::pair<int, int> SelectedCellAt(int) const override { return {}; }
    void Layout() override { ++layouts; }
    int layouts = 0;
  } grid;
  bool formatted = true;
  EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, false));
  EXPECT_EQ(grid.layouts, 0);
  EXPECT_FALSE(formatted);
  EXPECT_TRUE(FormatDownloadGrid(grid, nullptr, formatted, true)); // at start-up: not marked
  EXPECT_EQ(grid.layouts, 1);
  EXPECT_FALSE(formatted);
}

// Each command on the rows the grid shows: the items it leaves, and a
// rebuild that shows them (none when the grid showed no rows).
TEST(ListEditor, EachCommandWorksOnTheRowsShown) {
  // Items ("-" first: not shown yet), change, command, items left, rebuilt.
  const std::tuple<const char *, const char *, const char *, const char *, bool> cases[] = {
      {"a|Complete,b,c|Complete", "", "clear", "1|b|Waiting", true},
      {"a|Complete,b|Complete,c,d|Complete,e|ERROR", "", "clear", "1|c|Waiting,2|e|ERROR", true},
      {"a|complete,b|Complete ,c|Completed", "", "clear",
       "1|a|complete,2|b|Complete ,3|c|Completed", true},
      {"a|Complete,b|Complete,c|Complete", "i1=two", "clear", "1|b|Complete", true},
      {"a|Complete", "", "clear", "", true},
      {"-,a|Complete", "", "clear", "1|a|Complete", false},
      {"a,b,c", "c1.4", "remove", "1|a|Waiting,2|c|Waiting", true},
      {"a,b,c,d,e", "r0 c3.3 c3.0 c2.1", "remove", "1|b|Waiting,2|e|Waiting", true},
      {"a,b", "", "remove", "1|a|Waiting,2|b|Waiting", true},
      {"a,b,c", "all", "remove", "", true},
      {"-,a", "", "remove", "1|a|Waiting", false},
      {"a,b,c", "c1.3", "up", "1|b|Waiting,2|a|Waiting,3|c|Waiting", true},
      {"a,b,c", "c1.3", "down", "1|a|Waiting,2|c|Waiting,3|b|Waiting", true},
      {"a,b", "c0.3", "up", "1|a|Waiting,2|b|Waiting", true},
      {"a,b", "c1.3", "down", "1|a|Waiting,2|b|Waiting", true},
      {"a,b", "", "up", "1|a|Waiting,2|b|Waiting", true},
      {"a,b,c,d", "c3.4 c1.4", "up", "1|a|Waiting,2|b|Waiting,3|d|Waiting,4|c|Waiting", true},
      {"a,b", "r1", "up", "1|a|Waiting,2|b|Waiting", true}, // selected rows do not count
      {"a,b", "i1=2x c1.3", "up", "1|a|Waiting,2|b|Waiting", true},
      {"-,a,b", "", "down", "1|a|Waiting,2|b|Waiting", true},
      {"a,b", "", "all", "1|a|Waiting,2|b|Waiting", false},
  };
  for (const auto &[list, change, command, stored, rebuilt] : cases) {
    SCOPED_TRACE(std::string(command) + " " + change + " on " + list);
    ListWindow w;
    const Texts items = Split(list);
    const bool shown = items.empty() || items[0] != "-";
    w.Add(shown ? items : Texts(items.begin() + 1, items.end()), shown);
    w.Change(change);
    const auto generation = w.grid.Generation();
    w.pump.calls = 0;
    w.Change(command);
    EXPECT_EQ(w.Stored(), stored);
    EXPECT_EQ(w.grid.Generation() != generation, rebuilt);
    EXPECT_EQ(w.pump.calls != 0, rebuilt && *stored != '\0');
    if (rebuilt) {
      EXPECT_EQ(w.Rows(), stored);
      EXPECT_EQ(w.grid.HasDataSource(), *stored != '\0');
    }
  }
}

TEST(ListEditor, TheCurrentItemsRowIsTheRowShowingItsId) {
  // The current item, a change, the row found (-1: none).
  const std::tuple<std::size_t, const char *, int> cases[] = {
      {2, "", 2}, {1, "-2", -1}, {1, "i1=x i0=2", 0}, {1, "i1=x i0=_2", -1}, {0, "detach", -1}};
  for (const auto &[current, change, row] : cases) {
    SCOPED_TRACE(change);
    ListWindow w;
    w.Add({"a", "b", "c", "d"});
    w.current.Set(w.items, current);
    w.current.SetRow(w.RowAt(3));
    w.Change(change);
    w.editor.LocateCurrentRow();
    EXPECT_EQ(w.current.Row() ? w.current.Row()->index : -1, row);
  }
}

// A name typed into a FileName cell is cleaned, or refused when nothing is
// left, and goes to the item whose ID the row shows, unless a rebuild came
// between the two events; other columns pass untouched.
TEST(FileNameEdit, TheCleanedNameGoesToTheItemTheRowShowsWhileTheRowIsCurrent) {
  ListWindow w;
  w.Add({"a", "b"});
  FileNameEdit edit(w.items, w.grid);
  const auto type = [&](int row, const std::string &typed, int column = kColumnFileName,
                        bool rebuildBetween = false) {
    const host::GridCell cell{w.RowAt(row), column};
    bool cancel = false;
    edit.DownloadGrid_BeforeCellUpdate(cell, typed, cancel);
    if (rebuildBetween)
      w.binder.BindList();
    if (!cancel && w.grid.SetCellValue(cell.row, column, typed))
      edit.DownloadGrid_AfterCellUpdate(cell);
    return !cancel;
  };
  EXPECT_TRUE(type(0, "my:clip?.flv"));
  EXPECT_FALSE(type(0, "..")); // the name accepted last stays
  EXPECT_FALSE(type(0, "Enter File Name"));
  EXPECT_TRUE(type(0, "4?2", kColumnStatus));
  EXPECT_EQ(w.Rows(true), "1|a|myclip.flv|4?2|????,2|b|f-b|Waiting|????");
  EXPECT_EQ(w.items[0].Status, "Waiting");
  w.grid.SetCellValue(w.RowAt(0), kColumnID, "2"); // as after a move not shown yet
  EXPECT_TRUE(type(0, "new.flv"));
  EXPECT_EQ(w.items[0].FileName, "myclip.flv");
  EXPECT_EQ(w.items[1].FileName, "new.flv");
  EXPECT_TRUE(type(1, "late.flv", kColumnFileName, true));
  EXPECT_EQ(w.items[1].FileName, "new.flv");
  EXPECT_EQ(w.grid.CellText(w.RowAt(1), kColumnFileName), "new.flv");
}

} // namespace
} // namespace vidtrawl::list
