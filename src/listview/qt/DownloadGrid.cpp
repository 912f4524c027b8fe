#include "listview/qt/DownloadGrid.h"

#include "listview/CellUpdateEvents.h"
#include "listview/GridLayout.h"
#include "listview/qt/DownloadGridModel.h"
#include "listview/qt/StatusCellPainter.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <unordered_set>

namespace vidtrawl::listview::qt {

namespace {

QColor ToColor(Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

// One number per cell, for quick lookups.
int CellKey(int row, int column) {
  return row * kColumnCount + column;
}

} // namespace

DownloadGrid::DownloadGrid(QWidget *parent)
    : QTableView(parent), model_(new DownloadGridModel(this)),
      cellDelegate_(new GridCellDelegate(this)), statusPainter_(new StatusCellPainter(this)) {
  setModel(model_);
  setItemDelegate(cellDelegate_);
  setItemDelegateForColumn(kColumnStatus, statusPainter_);
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
  return TwipsToPixels(twips, logicalDpiX());
}

void DownloadGrid::AttachSource(const list::DownloadRecordset *recordset) {
  model_->Reset(recordset);
  // A reset clears the view's selection without a signal.
  selectionOrder_.clear();
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
  return selectionModel()->isRowSelected(row, QModelIndex());
}

void DownloadGrid::SelectRowAt(int row, bool selected) {
  const QItemSelection cells(model_->index(row, 0), model_->index(row, kColumnCount - 1));
  selectionModel()->select(cells,
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

bool DownloadGrid::CellSelectedAt(int row, int column) const {
  return selectionModel()->isSelected(model_->index(row, column));
}

void DownloadGrid::SelectCellAt(int row, int column, bool selected) {
  selectionModel()->select(model_->index(row, column),
                           selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

std::pair<int, int> DownloadGrid::SelectedCellAt(int position) const {
  return selectionOrder_[static_cast<std::size_t>(position)];
}

void DownloadGrid::TrackSelection(const QItemSelection &selected,
                                  const QItemSelection &deselected) {
  if (!deselected.isEmpty()) {
    std::unordered_set<int> gone;
    for (const QItemSelectionRange &range : deselected)
      for (int row = range.top(); row <= range.bottom(); ++row)
        for (int column = range.left(); column <= range.right(); ++column)
          gone.insert(CellKey(row, column));
    std::erase_if(selectionOrder_, [&gone](const std::pair<int, int> &cell) {
      return gone.count(CellKey(cell.first, cell.second)) != 0;
    });
  }
  for (const QItemSelectionRange &range : selected)
    for (int row = range.top(); row <= range.bottom(); ++row)
      for (int column = range.left(); column <= range.right(); ++column)
        selectionOrder_.emplace_back(row, column);
}

bool DownloadGrid::CommitEdit(int row, int column, const std::string &value) {
  const std::optional<GridRow> gridRow = Row(row);
  if (!gridRow)
    return false;
  const GridCell cell{*gridRow, column};
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
  for (int column = 0; column < kColumnCount; ++column)
    horizontalHeader()->resizeSection(
        column, TwipsToScreenPixels(kColumnLayouts[static_cast<std::size_t>(column)].widthTwips));
  ApplyColours();
  ++layoutsApplied_;
}

void DownloadGrid::ApplyColours() {
  // The ground where there are no rows, and the grid lines.
  QPalette grid = palette();
  grid.setColor(QPalette::Window, ToColor(kGridBackColour));
  grid.setColor(QPalette::Base, ToColor(kGridBackColour));
  grid.setColor(QPalette::Mid, ToColor(kGridSecondColour));
  // Selected cells, also while the grid has no focus.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    grid.setColor(group, QPalette::Highlight, ToColor(kAppearanceDBack));
    grid.setColor(group, QPalette::HighlightedText, ToColor(kAppearanceDFore));
  }
  setPalette(grid);

  // The column headers: their ground, then the sections with their captions.
  QPalette header = horizontalHeader()->palette();
  header.setColor(QPalette::Window, ToColor(kAppearanceABack));
  header.setColor(QPalette::Button, ToColor(kAppearanceBBack));
  header.setColor(QPalette::ButtonText, ToColor(kAppearanceBFore));
  horizontalHeader()->setPalette(header);

  // The rows, and a cell being edited.
  cellDelegate_->SetColours(ToColor(kAppearanceCBack), ToColor(kAppearanceEBack));
  statusPainter_->SetColours(ToColor(kAppearanceCBack), ToColor(kAppearanceEBack));
  viewport()->update();
}

} // namespace vidtrawl::listview::qt
