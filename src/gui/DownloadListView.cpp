#include "gui/DownloadListView.h"

#include "gui/DownloadListModel.h"
#include "gui/ListColumns.h"
#include "gui/StatusCellPainter.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <set>

namespace vidtrawl::gui {
namespace {

QColor ToColor(Rgb rgb) {
  return QColor(rgb.r, rgb.g, rgb.b);
}

} // namespace

DownloadListView::DownloadListView(DownloadListModel &model, QWidget *parent)
    : QTableView(parent), model_(model), cellDelegate_(new GridCellDelegate(this)),
      statusPainter_(new StatusCellPainter(this)) {
  setModel(&model_);
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
}

void DownloadListView::SelectAll() {
  selectAll();
}

std::vector<engine::Serial> DownloadListView::SelectedItems() const {
  std::set<int> rows;
  for (const QItemSelectionRange &range : selectionModel()->selection())
    for (int row = range.top(); row <= range.bottom(); ++row)
      rows.insert(row);
  std::vector<engine::Serial> serials;
  serials.reserve(rows.size());
  for (const int row : rows)
    serials.push_back(model_.SerialAt(row));
  return serials;
}

std::optional<engine::Serial> DownloadListView::FirstSelectedItem() const {
  const QItemSelection selection = selectionModel()->selection();
  if (selection.isEmpty())
    return std::nullopt;
  return model_.SerialAt(selection.first().top());
}

int DownloadListView::TwipsToScreenPixels(int twips) const {
  return TwipsToPixels(twips, logicalDpiX());
}

void DownloadListView::Layout() {
  for (int column = 0; column < kColumnCount; ++column)
    horizontalHeader()->resizeSection(
        column, TwipsToScreenPixels(kColumnLayouts[static_cast<std::size_t>(column)].widthTwips));
  // The ground where there are no rows, and the grid lines.
  QPalette grid = palette();
  grid.setColor(QPalette::Window, ToColor(kGridBackColour));
  grid.setColor(QPalette::Base, ToColor(kGridBackColour));
  grid.setColor(QPalette::Mid, ToColor(kGridSecondColour));
  // Selected cells, also while the list has no focus.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    grid.setColor(group, QPalette::Highlight, ToColor(kSelectionBack));
    grid.setColor(group, QPalette::HighlightedText, ToColor(kSelectionFore));
  }
  setPalette(grid);
  // The column headers: their ground, then the sections with their captions.
  QPalette header = horizontalHeader()->palette();
  header.setColor(QPalette::Window, ToColor(kHeaderBack));
  header.setColor(QPalette::Button, ToColor(kHeaderBack));
  header.setColor(QPalette::ButtonText, ToColor(kHeaderFore));
  horizontalHeader()->setPalette(header);
  // The rows, and a cell being edited.
  cellDelegate_->SetColours(ToColor(kRowBack), ToColor(kEditorBack));
  statusPainter_->SetColours(ToColor(kRowBack), ToColor(kEditorBack));
  viewport()->update();
}

} // namespace vidtrawl::gui
