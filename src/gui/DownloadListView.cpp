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
namespace {

engine::Serial SerialOf(const QModelIndex &index) {
  return index.data(DownloadListModel::SerialRole).value<engine::Serial>();
}

} // namespace

DownloadListView::DownloadListView(DownloadListModel &model, QWidget *parent)
    : QTableView(parent), model_(model), cellDelegate_(new GridCellDelegate(this)),
      statusPainter_(new StatusCellPainter(this)) {
  sorted_.setSourceModel(&model_);
  sorted_.setSortRole(DownloadListModel::SortRole);
  sorted_.setSortCaseSensitivity(Qt::CaseInsensitive);
  sorted_.setSortLocaleAware(true);
  setModel(&sorted_);
  // Unsorted until a header is clicked: the rows as the list has them.
  horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);
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
          [this](int row) { scrollTo(sorted_.mapFromSource(model_.index(row, kColumnAddress))); });
}

void DownloadListView::SelectAll() {
  selectAll();
}

std::vector<engine::Serial> DownloadListView::SelectedItems() const {
  // In the list's order, whatever the order on screen.
  std::vector<int> rows;
  for (const QModelIndex &index : selectionModel()->selectedRows())
    rows.push_back(sorted_.mapToSource(index).row());
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
  // its caption; the user's widths stay until the scale changes.
  for (int column = 0; column < kColumnCount && scale != laidOutAt_; ++column) {
    const ColumnLayout &layout = kColumnLayouts[static_cast<std::size_t>(column)];
    const int width = static_cast<int>(
        std::lround(TwipsToPixels(layout.widthTwips, logicalDpiX()) * std::max(1.0, scale)));
    horizontalHeader()->resizeSection(column, std::max(width, CaptionWidth(column)));
  }
  laidOutAt_ = scale;
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

int DownloadListView::CaptionWidth(int column) const {
  const std::string_view caption = kColumnLayouts[static_cast<std::size_t>(column)].caption;
  return QFontMetrics(horizontalHeader()->font())
             .horizontalAdvance(
                 QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))) +
         2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
}

void DownloadListView::resizeEvent(QResizeEvent *event) {
  QTableView::resizeEvent(event);
  // The address column takes the room the list gains or gives up; the
  // widths a window is shown with are left as they were set.
  const int gained = event->size().width() - event->oldSize().width();
  if (event->oldSize().isValid() && gained != 0) {
    QHeaderView &header = *horizontalHeader();
    header.resizeSection(kColumnAddress, std::max(header.sectionSize(kColumnAddress) + gained,
                                                  CaptionWidth(kColumnAddress)));
  }
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
    emit openRequested(SerialOf(index));
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
