#include "gui/DownloadGridModel.h"

#include "host/DownloadRecordset.h"
#include "host/GridLayout.h"

namespace vidtrawl::gui {

DownloadGridModel::DownloadGridModel(QObject *parent) : QAbstractTableModel(parent) {}

std::size_t DownloadGridModel::Slot(int row, int column) const {
  return static_cast<std::size_t>(row) * host::kColumnCount + static_cast<std::size_t>(column);
}

void DownloadGridModel::Reset(const host::DownloadRecordset *recordset) {
  beginResetModel();
  const std::size_t count = recordset ? recordset->RecordCount() : 0;
  // Existing strings are assigned to, so their storage is reused.
  texts_.resize(count * host::kColumnCount);
  for (std::size_t i = 0; i < count; ++i) {
    const host::DownloadRecordset::Record &record = (*recordset)[i];
    std::string *row = &texts_[i * host::kColumnCount];
    row[host::kColumnID] = std::to_string(record.ID);
    row[host::kColumnVideoURL] = record.Video_URL;
    row[host::kColumnFileName] = record.FileName;
    row[host::kColumnStatus] = record.Status;
    row[host::kColumnFileSize] = record.FileSize;
  }
  rows_ = static_cast<int>(count);
  endResetModel();
}

const std::string &DownloadGridModel::Text(int row, int column) const {
  return texts_[Slot(row, column)];
}

void DownloadGridModel::SetText(int row, int column, const std::string &value) {
  texts_[Slot(row, column)] = value;
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

int DownloadGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : rows_;
}

int DownloadGridModel::columnCount(const QModelIndex &parent) const {
  // The columns stay while there are no rows, so their widths do too.
  return parent.isValid() ? 0 : host::kColumnCount;
}

QVariant DownloadGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= host::kColumnCount)
    return {};
  if (role != Qt::DisplayRole && role != Qt::EditRole)
    return {};
  return QString::fromStdString(Text(index.row(), index.column()));
}

QVariant DownloadGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0)
    return {};
  if (orientation == Qt::Vertical)
    return section + 1;
  if (section >= host::kColumnCount)
    return {};
  const std::string_view caption = host::kColumnLayouts[static_cast<std::size_t>(section)].caption;
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

Qt::ItemFlags DownloadGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid() || index.column() >= host::kColumnCount)
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (host::kColumnLayouts[static_cast<std::size_t>(index.column())].editable)
    flags |= Qt::ItemIsEditable;
  return flags;
}

bool DownloadGridModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || index.row() >= rows_)
    return false;
  const std::string text = value.toString().toStdString();
  if (commit_)
    return commit_(index.row(), index.column(), text);
  SetText(index.row(), index.column(), text);
  return true;
}

} // namespace vidtrawl::gui
