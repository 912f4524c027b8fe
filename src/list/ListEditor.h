#pragma once

namespace vidtrawl::listview {
class Grid;
}
namespace vidtrawl::scheduler {
struct WindowState;
}

namespace vidtrawl::list {

class DownloadList;
class ListBinder;

// The list editing commands. Each reads the grid's rows and selection at the
// moment it runs, changes the list and (except SelectAll) rebuilds the grid.
// A row is tied to its item only by the text of its ID cell; a row whose ID
// text is not a number is passed over. None shows a message.
class ListEditor {
public:
  ListEditor(DownloadList &items, listview::Grid &grid, ListBinder &binder,
             scheduler::WindowState &state);

  // Removes every item whose row shows the status "Complete".
  void ClearCompleted();
  // Removes every item whose row is selected or has a selected cell.
  void RemoveSelected();
  // Selects every row; the list is not touched.
  void SelectAll();
  // Moves the item of the first selected cell one place up (down); only
  // that one item moves. The grid is rebuilt also when nothing moved.
  void MoveSelectedUp();
  void MoveSelectedDown();
  // Points oCurrentRow at the row whose ID cell reads iCurrentItem + 1, or
  // at nothing.
  void LocateCurrentRow();

private:
  void AfterRemoval();
  void MoveSelected(bool up);

  DownloadList &items_;
  listview::Grid &grid_;
  ListBinder &binder_;
  scheduler::WindowState &state_;
};

} // namespace vidtrawl::list
