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
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>

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
  setItemDelegateForColumn(kColumnProgress, statusPainter_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  // Tab goes on to the next control; the arrow keys go from row to row.
  setTabKeyNavigation(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setAccessibleName(QStringLiteral("Downloads"));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  // The narrow ID column must be able to get its width; it is fitted to its numbers.
  horizontalHeader()->setMinimumSectionSize(4);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setSectionResizeMode(kColumnID, QHeaderView::Fixed);
  horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
          [this](const QPoint &at) { ShowColumnsMenu(horizontalHeader()->mapToGlobal(at)); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &DownloadListView::shownItemChanged);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &DownloadListView::shownItemChanged);
  connect(&model_, &DownloadListModel::itemStarted, this,
          [this](int row) { scrollTo(sorted_.mapFromSource(model_.index(row, kColumnAddress))); });
  for (const auto rowsChanged :
       {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(&model_, rowsChanged, this, &DownloadListView::FitNumbers);
  connect(&model_, &QAbstractItemModel::modelReset, this, &DownloadListView::FitNumbers);
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

std::optional<engine::Serial> DownloadListView::ShownItem() const {
  const QModelIndex current = currentIndex();
  if (current.isValid() && selectionModel()->isRowSelected(current.row(), {}))
    return SerialOf(current);
  return FirstSelectedItem();
}

void DownloadListView::ShowColumnsMenu(const QPoint &at) {
  QMenu menu(this);
  for (int column = kFirstRunColumn; column < kColumnCount; ++column) {
    const std::string_view caption = kColumnLayouts[static_cast<std::size_t>(column)].caption;
    QAction *shown =
        menu.addAction(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                       this, [this, column](bool on) {
                         setColumnHidden(column, !on);
                         emit columnsChanged();
                       });
    shown->setCheckable(true);
    shown->setChecked(!isColumnHidden(column));
  }
  menu.exec(at);
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
  for (int column = kColumnAddress; column < kColumnCount && scale != laidOutAt_; ++column) {
    const ColumnLayout &layout = kColumnLayouts[static_cast<std::size_t>(column)];
    const int width = static_cast<int>(
        std::lround(TwipsToPixels(layout.widthTwips, logicalDpiX()) * std::max(1.0, scale)));
    horizontalHeader()->resizeSection(column, std::max(width, CaptionWidth(column)));
  }
  laidOutAt_ = scale;
  FitNumbers();
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
  focusColour_ = look.focus;
  viewport()->update();
}

int DownloadListView::CaptionWidth(int column) const {
  const std::string_view caption = kColumnLayouts[static_cast<std::size_t>(column)].caption;
  return QFontMetrics(horizontalHeader()->font())
             .horizontalAdvance(
                 QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()))) +
         2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
}

void DownloadListView::FitNumbers() {
  const QFontMetrics digits(font());
  int widest = 0;
  for (char digit = '0'; digit <= '9'; ++digit)
    widest = std::max(widest, digits.horizontalAdvance(QLatin1Char(digit)));
  const int count = std::max(model_.rowCount(), 1);
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  const int numbers = static_cast<int>(std::to_string(count).size()) * widest + 2 * margin + 2;
  horizontalHeader()->resizeSection(kColumnID, std::max(numbers, CaptionWidth(kColumnID)));
}

void DownloadListView::keyPressEvent(QKeyEvent *event) {
  const bool editing = state() == QAbstractItemView::EditingState;
  if (event->key() == Qt::Key_Delete && !editing) {
    emit removeRequested();
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !editing) {
    if (const auto item = FirstSelectedItem())
      emit openRequested(*item);
    return;
  }
  // The keyboard's way to the context menu, beside the menu key.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier && !editing) {
    ShowSelectionMenu();
    return;
  }
  if (event->matches(QKeySequence::Paste) && !editing) {
    emit pasteRequested();
    return;
  }
  QTableView::keyPressEvent(event);
}

QModelIndex DownloadListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  // Rows are what the list holds: Home and End go to the first and last of
  // them, as in a list, not to the row's first and last cells.
  if (action == MoveHome || action == MoveEnd)
    modifiers |= Qt::ControlModifier;
  return QTableView::moveCursor(action, modifiers);
}

bool DownloadListView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) {
  // The row's name is what F2 edits, whichever of its cells is current.
  if (trigger == EditKeyPressed && index.isValid() && index.column() != kColumnFileName)
    return QTableView::edit(index.siblingAtColumn(kColumnFileName), trigger, event);
  return QTableView::edit(index, trigger, event);
}

void DownloadListView::focusInEvent(QFocusEvent *event) {
  QTableView::focusInEvent(event);
  // Reached from the keyboard with no current row (its row was removed,
  // say): the first row is current, so that the mark shows where keys act.
  if (event->reason() != Qt::MouseFocusReason && !currentIndex().isValid() &&
      sorted_.rowCount() > 0)
    selectionModel()->setCurrentIndex(sorted_.index(0, kColumnAddress),
                                      QItemSelectionModel::NoUpdate);
}

void DownloadListView::paintEvent(QPaintEvent *event) {
  QTableView::paintEvent(event);
  if (!hasFocus())
    return;
  // The focus: a ring inside the list's edge, and a frame round the current row.
  QPainter painter(viewport());
  painter.setPen(QPen(focusColour_, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
  if (!currentIndex().isValid())
    return;
  painter.setPen(QPen(focusColour_, 1, Qt::DashLine));
  painter.drawRect(QRectF(RowRect(currentIndex())).adjusted(0.5, 0.5, -1.5, -1.5));
}

QRect DownloadListView::RowRect(const QModelIndex &index) const {
  return visualRect(index.siblingAtColumn(0))
      .united(visualRect(index.siblingAtColumn(kColumnCount - 1)));
}

void DownloadListView::scrollContentsBy(int dx, int dy) {
  QTableView::scrollContentsBy(dx, dy);
  // The ring stays where it is while the rows move under it.
  if (hasFocus())
    viewport()->update();
}

void DownloadListView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
  QTableView::currentChanged(current, previous);
  // The mark goes from row to row, not from cell to cell.
  for (const QModelIndex &index : {current, previous})
    if (index.isValid())
      viewport()->update(RowRect(index));
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
    QTableView::edit(index);
}

bool DownloadListView::ShowSelectionMenu() {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty())
    return false;
  const QModelIndex current = currentIndex();
  const QModelIndex at = current.isValid() && selectionModel()->isRowSelected(current.row(), {})
                             ? current
                             : rows.front();
  scrollTo(at);
  emit menuRequested(viewport()->mapToGlobal(visualRect(at).bottomLeft()));
  return true;
}

void DownloadListView::contextMenuEvent(QContextMenuEvent *event) {
  if (event->reason() != QContextMenuEvent::Mouse) {
    // From the keyboard: at the current row.
    ShowSelectionMenu();
    return;
  }
  // The row under the pointer becomes the selection, unless it is in it: then the menu is the
  // whole selection's.
  const QModelIndex index = indexAt(event->pos());
  if (!index.isValid())
    return;
  if (!selectionModel()->isRowSelected(index.row(), {}))
    selectionModel()->select(index,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  emit menuRequested(event->globalPos());
}

} // namespace vidtrawl::gui
