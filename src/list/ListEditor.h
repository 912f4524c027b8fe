#pragma once

namespace vidtrawl::host {
class Grid;
}
namespace vidtrawl::list {

class CurrentItem;
class DownloadList;
class ListBinder;

// The list editing commands. Each reads the grid's rows and selection at the
// moment it runs, changes the list and (except SelectAll) rebuilds the grid.
// A row is tied to its item only by the text of its ID cell; a row whose ID
// text is not a number is passed over. None shows a message.
class ListEditor {
public:
  ListEditor(DownloadList &items, host::Grid &grid, ListBinder &binder, CurrentItem &current);

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
  // Points the current item's row (oCurrentRow) at the row whose ID cell
  // reads its ID, or at nothing.
  void LocateCurrentRow();

private:
  void AfterRemoval();
  void MoveSelected(bool up);

  DownloadList &items_;
  host::Grid &grid_;
  ListBinder &binder_;
  CurrentItem &current_;
};

} // namespace vidtrawl::list
