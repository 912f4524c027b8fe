#pragma once

#include "gui/ListSelection.h"

#include <QSortFilterProxyModel>
#include <QTableView>

namespace vidtrawl::gui {

class DownloadListModel;
class GridCellDelegate;
class StatusCellPainter;

// The download list on screen: a table view over the list model whose rows
// are selected whole, the status and progress columns painted with a bar, the
// file name editable (F2 on any cell of the row, or a click on a selected
// row's name). A click on a column's header sorts the rows on screen by it
// (the list itself keeps its order, the download order, which the number
// column shows); the header's menu shows or hides the run's columns. Column
// widths are the user's: nothing but the user (and a new scale) changes them.
// The row the pass works on is scrolled into view. Delete asks for the
// selected rows' removal, Enter or a double-click on a complete row for its
// file, Ctrl+V for adding what the clipboard holds, the context menu (right
// button, menu key or Shift+F10) for the menu of the selected rows, which a
// right click keeps selected; Home and End go to the first and last rows.
// With the focus, the list shows a ring and a mark on its current row. What
// the list commands read of the selection comes from here.
class DownloadListView final : public QTableView, public ListSelection {
  Q_OBJECT

public:
  explicit DownloadListView(DownloadListModel &model, QWidget *parent = nullptr);

  DownloadListModel &Model() const { return model_; }
  using QTableView::edit;

  void SelectAll() override;
  std::vector<engine::Serial> SelectedItems() const override;
  std::optional<engine::Serial> FirstSelectedItem() const override;

  // Lays the columns out (widths at the given scale, when it is new; the
  // number column as wide as its numbers; colours from the palette in use).
  void Layout(double scale = 1.0);
  // The rows' menu for the selection, under its current (or first) row;
  // false when no row is selected.
  bool ShowSelectionMenu();
  // The item whose details are shown: the current row's, else the first
  // selected; nothing without a selection.
  std::optional<engine::Serial> ShownItem() const;

signals:
  void removeRequested();
  void openRequested(engine::Serial serial);
  void menuRequested(const QPoint &globalPosition);
  void pasteRequested();
  // The item ShownItem() names may have changed; a run column was shown or hidden.
  void shownItemChanged();
  void columnsChanged();

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void scrollContentsBy(int dx, int dy) override;
  void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
  // The number column: wide enough for the largest row number.
  void FitNumbers();
  // The least width of a column: its caption's.
  int CaptionWidth(int column) const;
  void ShowColumnsMenu(const QPoint &at);
  // The whole row of an index, in the viewport.
  QRect RowRect(const QModelIndex &index) const;

  DownloadListModel &model_;
  QSortFilterProxyModel sorted_;
  GridCellDelegate *cellDelegate_;
  StatusCellPainter *statusPainter_;
  QColor focusColour_;
  double laidOutAt_ = 0; // the scale the columns' widths were set for
};

} // namespace vidtrawl::gui
