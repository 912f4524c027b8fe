#include "gui/DownloadGrid.h"

#include "gui/DownloadGridModel.h"
#include "gui/StatusCellPainter.h"
#include "host/CellUpdateEvents.h"
#include "host/GridLayout.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>

namespace vidtrawl::gui {

namespace {

QColor ToColor(host::Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

constexpr std::uint8_t kWholeRow = host::CellSelection::kWholeRow;

} // namespace

DownloadGrid::DownloadGrid(QWidget *parent)
    : QTableView(parent), model_(new DownloadGridModel(this)),
      cellDelegate_(new GridCellDelegate(this)), statusPainter_(new StatusCellPainter(this)) {
  setModel(model_);
  setItemDelegate(cellDelegate_);
  setItemDelegateForColumn(host::kColumnStatus, statusPainter_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  // The narrow ID column must be able to get its width.
  horizontalHeader()->setMinimumSectionSize(4);
  horizontalHeader()->setSectionsMovable(false);
  model_->SetCommitEdit([this](int row, int column, const std::string &value) {
    return CommitEdit(row, column, value);
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &DownloadGrid::TrackSelection);
}

DownloadGrid::~DownloadGrid() = default;

int DownloadGrid::TwipsToScreenPixels(int twips) const {
  return host::TwipsToPixels(twips, logicalDpiX());
}

void DownloadGrid::AttachSource(const host::DownloadRecordset *recordset) {
  model_->Reset(recordset);
  // A reset clears the view's selection without a signal.
  cells_.Reset(static_cast<std::size_t>(model_->Rows()));
  selectionPending_ = false;
}

int DownloadGrid::Rows() const {
  return model_->Rows();
}

std::string DownloadGrid::Text(int row, int column) const {
  return model_->Text(row, column);
}

void DownloadGrid::WriteValue(int row, int column, const std::string &value) {
  model_->SetText(row, column, value);
}

bool DownloadGrid::RowSelectedAt(int row) const {
  return cells_.Mask(row) == kWholeRow;
}

void DownloadGrid::SelectRowAt(int row, bool selected) {
  for (int column = 0; column < host::kColumnCount; ++column)
    cells_.Set(row, column, selected);
  SelectionChanged();
}

bool DownloadGrid::CellSelectedAt(int row, int column) const {
  return cells_.Has(row, column);
}

void DownloadGrid::SelectCellAt(int row, int column, bool selected) {
  cells_.Set(row, column, selected);
  SelectionChanged();
}

std::pair<int, int> DownloadGrid::SelectedCellAt(int position) const {
  return cells_.At(position);
}

void DownloadGrid::SelectionChanged() {
  if (selectionPending_)
    return;
  selectionPending_ = true;
  // Handed over once the engine's current operation has returned.
  QMetaObject::invokeMethod(this, &DownloadGrid::SyncSelection, Qt::QueuedConnection);
}

void DownloadGrid::SyncSelection() {
  if (!selectionPending_)
    return;
  selectionPending_ = false;
  // Whole rows run together into one range; other cells by runs of columns.
  QItemSelection ranges;
  const int rows = model_->Rows();
  int wholeFrom = -1;
  auto closeWholeRows = [&](int end) {
    if (wholeFrom >= 0)
      ranges.select(model_->index(wholeFrom, 0), model_->index(end - 1, host::kColumnCount - 1));
    wholeFrom = -1;
  };
  for (int row = 0; row < rows; ++row) {
    const std::uint8_t mask = cells_.Mask(row);
    if (mask == kWholeRow) {
      if (wholeFrom < 0)
        wholeFrom = row;
      continue;
    }
    closeWholeRows(row);
    for (int column = 0; column < host::kColumnCount;) {
      if (!cells_.Has(row, column)) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < host::kColumnCount && cells_.Has(row, column))
        ++column;
      ranges.select(model_->index(row, first), model_->index(row, column - 1));
    }
  }
  closeWholeRows(rows);
  syncing_ = true;
  selectionModel()->select(ranges, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
}

bool DownloadGrid::viewportEvent(QEvent *event) {
  SyncSelection(); // the user acts on, and sees, the current selection
  return QTableView::viewportEvent(event);
}

void DownloadGrid::keyPressEvent(QKeyEvent *event) {
  SyncSelection();
  QTableView::keyPressEvent(event);
}

void DownloadGrid::TrackSelection(const QItemSelection &selected,
                                  const QItemSelection &deselected) {
  if (syncing_)
    return; // our own record is what the view was given
  // The user changed the selection: the view's model holds everything the
  // engine asked for (it was handed over before the user's event).
  cells_.ClearMany([&](const auto &clear) {
    for (const QItemSelectionRange &range : deselected)
      for (int row = range.top(); row <= range.bottom(); ++row)
        for (int column = range.left(); column <= range.right(); ++column)
          clear(row, column);
  });
  for (const QItemSelectionRange &range : selected)
    for (int row = range.top(); row <= range.bottom(); ++row)
      for (int column = range.left(); column <= range.right(); ++column)
        cells_.Set(row, column, true);
}

bool DownloadGrid::CommitEdit(int row, int column, const std::string &value) {
  const std::optional<host::GridRow> gridRow = Row(row);
  if (!gridRow)
    return false;
  const host::GridCell cell{*gridRow, column};
  if (events_) {
    bool cancel = false;
    events_->DownloadGrid_BeforeCellUpdate(cell, value, cancel);
    if (cancel)
      return false; // the cell keeps its previous value
  }
  if (!SetCellValue(cell.row, column, value))
    return false;
  if (events_)
    events_->DownloadGrid_AfterCellUpdate(cell);
  return true;
}

void DownloadGrid::Layout() {
  setWindowTitle(QString()); // the grid has no caption
  for (int column = 0; column < host::kColumnCount; ++column)
    horizontalHeader()->resizeSection(
        column,
        TwipsToScreenPixels(host::kColumnLayouts[static_cast<std::size_t>(column)].widthTwips));
  ApplyColours();
  ++layoutsApplied_;
}

void DownloadGrid::ApplyColours() {
  // The ground where there are no rows, and the grid lines.
  QPalette grid = palette();
  grid.setColor(QPalette::Window, ToColor(host::kGridBackColour));
  grid.setColor(QPalette::Base, ToColor(host::kGridBackColour));
  grid.setColor(QPalette::Mid, ToColor(host::kGridSecondColour));
  // Selected cells, also while the grid has no focus.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    grid.setColor(group, QPalette::Highlight, ToColor(host::kAppearanceDBack));
    grid.setColor(group, QPalette::HighlightedText, ToColor(host::kAppearanceDFore));
  }
  setPalette(grid);

  // The column headers: their ground, then the sections with their captions.
  QPalette header = horizontalHeader()->palette();
  header.setColor(QPalette::Window, ToColor(host::kAppearanceABack));
  header.setColor(QPalette::Button, ToColor(host::kAppearanceBBack));
  header.setColor(QPalette::ButtonText, ToColor(host::kAppearanceBFore));
  horizontalHeader()->setPalette(header);

  // The rows, and a cell being edited.
  cellDelegate_->SetColours(ToColor(host::kAppearanceCBack), ToColor(host::kAppearanceEBack));
  statusPainter_->SetColours(ToColor(host::kAppearanceCBack), ToColor(host::kAppearanceEBack));
  viewport()->update();
}

} // namespace vidtrawl::gui
