#include "gui/DownloadListView.h"

#include "gui/DownloadListModel.h"
#include "gui/ListColumns.h"
#include "gui/ListLook.h"
#include "gui/StatusCellPainter.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace vidtrawl::gui {

DownloadListView::DownloadListView(DownloadListModel &model, QWidget *parent)
    : QTableView(parent), model_(model), cellDelegate_(new GridCellDelegate(this)),
      statusPainter_(new StatusCellPainter(this)) {
  setModel(&model_);
  setItemDelegate(cellDelegate_);
  setItemDelegateForColumn(kColumnStatus, statusPainter_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  // Tab goes on to the next control; the arrow keys go from row to row.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  setAccessibleName(QStringLiteral("Downloads"));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  // The narrow ID column must be able to get its width.
  horizontalHeader()->setMinimumSectionSize(4);
  horizontalHeader()->setSectionsMovable(false);
  connect(&model_, &DownloadListModel::itemStarted, this,
          [this](int row) { scrollTo(model_.index(row, kColumnAddress)); });
}

void DownloadListView::SelectAll() {
  selectAll();
}

std::vector<engine::Serial> DownloadListView::SelectedItems() const {
  std::vector<int> rows;
  for (const QModelIndex &index : selectionModel()->selectedRows())
    rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  std::vector<engine::Serial> serials;
  serials.reserve(rows.size());
  for (const int row : rows)
    serials.push_back(model_.SerialAt(row));
  return serials;
}

std::optional<engine::Serial> DownloadListView::FirstSelectedItem() const {
  const std::vector<engine::Serial> selected = SelectedItems();
  if (selected.empty())
    return std::nullopt;
  return selected.front();
}

void DownloadListView::Layout(double scale) {
  // Each column as wide as its share of the window, and never narrower than
  // its caption.
  const QFontMetrics captions(horizontalHeader()->font());
  const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
  for (int column = 0; column < kColumnCount; ++column) {
    const ColumnLayout &layout = kColumnLayouts[static_cast<std::size_t>(column)];
    const int width = static_cast<int>(
        std::lround(TwipsToPixels(layout.widthTwips, logicalDpiX()) * std::max(1.0, scale)));
    const int caption = captions.horizontalAdvance(QString::fromUtf8(
                            layout.caption.data(), static_cast<qsizetype>(layout.caption.size()))) +
                        padding;
    horizontalHeader()->resizeSection(column, std::max(width, caption));
  }
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);

  const ListLook look = ListLook::For(QApplication::palette());
  QPalette grid = palette();
  grid.setColor(QPalette::Window, look.ground);
  grid.setColor(QPalette::Base, look.ground);
  grid.setColor(QPalette::Mid, look.lines);
  // Selected rows, also while the list has no focus.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    grid.setColor(group, QPalette::Text, look.rowText);
    grid.setColor(group, QPalette::Highlight, look.selectedGround);
    grid.setColor(group, QPalette::HighlightedText, look.selectedText);
  }
  setPalette(grid);
  QPalette header = horizontalHeader()->palette();
  header.setColor(QPalette::Window, look.headerGround);
  header.setColor(QPalette::Button, look.headerGround);
  header.setColor(QPalette::ButtonText, look.headerText);
  horizontalHeader()->setPalette(header);
  cellDelegate_->SetLook(look);
  statusPainter_->SetLook(look);
  viewport()->update();
}

void DownloadListView::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
    emit removeRequested();
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      state() != QAbstractItemView::EditingState) {
    if (const auto item = FirstSelectedItem())
      emit openRequested(*item);
    return;
  }
  QTableView::keyPressEvent(event);
}

void DownloadListView::mouseDoubleClickEvent(QMouseEvent *event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) {
    QTableView::mouseDoubleClickEvent(event);
    return;
  }
  // A complete item's file opens; any other item's file name is edited.
  if (index.data(DownloadListModel::PhaseRole).toInt() ==
      static_cast<int>(engine::Phase::Complete)) {
    emit openRequested(model_.SerialAt(index.row()));
    return;
  }
  if (index.column() == kColumnFileName)
    edit(index);
}

void DownloadListView::contextMenuEvent(QContextMenuEvent *event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Mouse) {
    // The row under the pointer joins the selection, or becomes it.
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
      return;
    if (!selectionModel()->isRowSelected(index.row(), {}))
      selectionModel()->select(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setCurrentIndex(index);
  } else {
    // From the keyboard: at the current row.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || SelectedItems().empty())
      return;
    at = viewport()->mapToGlobal(visualRect(current).bottomLeft());
  }
  emit menuRequested(at);
}

} // namespace vidtrawl::gui
