#include "gui/DownloadListModel.h"

#include "gui/ListColumns.h"
#include "gui/RunTexts.h"

#include <limits>

namespace vidtrawl::gui {
namespace {

QString Text(const std::string &text) {
  return QString::fromStdString(text);
}

} // namespace

DownloadListModel::DownloadListModel(engine::Engine &engine, QObject *parent)
    : QAbstractTableModel(parent), engine_(engine) {
  TakeRows();
  engine_.Subscribe(this);
}

DownloadListModel::~DownloadListModel() {
  engine_.Unsubscribe(this);
}

engine::Serial DownloadListModel::SerialAt(int row) const {
  return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].serial : 0;
}

const engine::ItemView *DownloadListModel::ItemAt(int row) const {
  const engine::Serial serial = SerialAt(row);
  if (serial == 0)
    return nullptr;
  if (!last_ || last_->serial != serial) {
    last_ = engine_.Find(serial);
    if (!last_)
      return nullptr;
  }
  return &*last_;
}

int DownloadListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DownloadListModel::columnCount(const QModelIndex &parent) const {
  // The columns stay while there are no rows, so their widths do too.
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant DownloadListModel::data(const QModelIndex &index, int role) const {
  const engine::ItemView *found =
      index.isValid() && index.column() < kColumnCount ? ItemAt(index.row()) : nullptr;
  if (found == nullptr)
    return {};
  const engine::ItemView &item = *found;
  const int column = index.column();
  switch (role) {
  case Qt::EditRole:
    // A name to change starts from the name, not from what stands for it.
    if (column == kColumnFileName)
      return Text(item.fileName.value_or(""));
    [[fallthrough]];
  case Qt::DisplayRole:
    switch (column) {
    case kColumnID:
      return rows_[static_cast<std::size_t>(index.row())].number;
    case kColumnAddress:
      return Text(engine::AddressText(item));
    case kColumnFileName:
      return Text(engine::FileNameText(item));
    case kColumnStatus:
      return Text(engine::StatusText(item));
    case kColumnSize:
      return Text(engine::SizeText(item));
    case kColumnProgress:
      return Text(ProgressText(item));
    case kColumnSpeed:
      return Text(RowSpeedText(item));
    default:
      return Text(TimeLeftText(item));
    }
  case Qt::ToolTipRole: {
    // The whole address or file name, and why the item failed.
    const std::string reason = engine::ReasonText(item);
    switch (column) {
    case kColumnAddress:
      return Text(engine::AddressText(item) + (reason.empty() ? "" : "\n" + reason));
    case kColumnFileName:
      return engine::FileNamePlaceholder(item) ? QVariant() : Text(engine::FileNameText(item));
    case kColumnStatus:
    case kColumnProgress:
      return reason.empty() ? QVariant() : Text(reason);
    default:
      return {};
    }
  }
  case PhaseRole:
    return static_cast<int>(item.phase);
  case PercentRole:
    // The status cell's bar is a transfer's; the progress cell's stays when it stops.
    if (column == kColumnProgress)
      if (const std::optional<int> percent = ProgressPercent(item))
        return static_cast<qlonglong>(*percent);
    if (const auto percent = engine::TransferPercent(item);
        percent && column == kColumnStatus && item.phase == engine::Phase::Receiving)
      return static_cast<qlonglong>(*percent);
    return {};
  case SerialRole:
    return static_cast<qulonglong>(item.serial);
  case SortRole:
    switch (column) {
    case kColumnID:
      return index.row();
    case kColumnStatus:
      // By state, then by how far a transfer has come.
      return static_cast<qlonglong>(item.phase) * 1000 + engine::TransferPercent(item).value_or(0);
    case kColumnSize:
      return item.sizeKnown == engine::SizeKnown::Bytes ? static_cast<qlonglong>(item.size) : -1;
    case kColumnProgress:
      return ProgressPercent(item).value_or(-1) * 1e15 + static_cast<double>(item.received);
    case kColumnSpeed:
      return RowSpeedText(item).empty() ? 0.0 : item.bytesPerSecond;
    case kColumnTimeLeft:
      return engine::SecondsLeft(item).value_or(std::numeric_limits<double>::max());
    default:
      return data(index, Qt::DisplayRole);
    }
  default:
    return {};
  }
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || section < 0)
    return {};
  if (orientation == Qt::Vertical)
    return section + 1;
  if (section >= kColumnCount)
    return {};
  const std::string_view caption = kColumnLayouts[static_cast<std::size_t>(section)].caption;
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

Qt::ItemFlags DownloadListModel::flags(const QModelIndex &index) const {
  if (!index.isValid() || index.column() >= kColumnCount)
    return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kColumnFileName)
    flags |= Qt::ItemIsEditable;
  return flags;
}

bool DownloadListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (role != Qt::EditRole || index.column() != kColumnFileName || index.row() >= rowCount())
    return false;
  // A name left as it was is no rename (one that is not UTF-8 could not come back as it was).
  if (value.toString() == data(index, Qt::EditRole).toString())
    return true;
  // A name of which nothing usable is left is refused: the cell keeps its text.
  const engine::Serial serial = SerialAt(index.row());
  const std::string typed = value.toString().toStdString();
  return rename_ ? rename_(serial, typed) : static_cast<bool>(engine_.Rename(serial, typed));
}

void DownloadListModel::ItemChanged(std::size_t index) {
  last_.reset();
  const int row = static_cast<int>(index);
  if (row >= rowCount())
    return;
  emit dataChanged(this->index(row, 0), this->index(row, kColumnCount - 1));
  const engine::ItemView *item = ItemAt(row);
  if (item != nullptr && item->phase == engine::Phase::Resolving && item->serial != started_) {
    started_ = item->serial;
    emit itemStarted(row);
  }
}

void DownloadListModel::RunsChanged(const std::vector<std::size_t> &indices) {
  last_.reset();
  // Each run of neighbouring rows that moved is one change; many runs are one change from the
  // first to the last (a sorted view reads each changed row again).
  constexpr std::size_t kMostRuns = 16;
  std::vector<std::pair<int, int>> runs;
  for (const std::size_t at : indices) {
    const int row = static_cast<int>(at);
    if (row >= rowCount())
      break;
    if (!runs.empty() && runs.back().second + 1 == row)
      runs.back().second = row;
    else
      runs.emplace_back(row, row);
  }
  if (runs.size() > kMostRuns)
    runs = {{runs.front().first, runs.back().second}};
  for (const auto &[first, last] : runs)
    emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

void DownloadListModel::ItemsAdded(std::size_t first, std::size_t count) {
  beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count) - 1);
  for (std::size_t i = first; i < first + count; ++i)
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(i),
                 {engine_.SerialAt(i), static_cast<int>(i) + 1});
  endInsertRows();
}

void DownloadListModel::ItemsAboutToBeRemoved(std::size_t first, std::size_t count) {
  beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count) - 1);
}

void DownloadListModel::ItemsRemoved(std::size_t first, std::size_t count) {
  last_.reset();
  const auto from = rows_.begin() + static_cast<std::ptrdiff_t>(first);
  rows_.erase(from, from + static_cast<std::ptrdiff_t>(count));
  endRemoveRows();
  Renumber(static_cast<int>(first), rowCount() - 1);
}

void DownloadListModel::Renumber(int first, int last) {
  if (first > last)
    return;
  for (int row = first; row <= last; ++row)
    rows_[static_cast<std::size_t>(row)].number = row + 1;
  emit dataChanged(index(first, kColumnID), index(last, kColumnID));
}

void DownloadListModel::ItemsSwapped(std::size_t index) {
  const int row = static_cast<int>(index);
  beginMoveRows({}, row + 1, row + 1, {}, row);
  std::swap(rows_[index], rows_[index + 1]);
  endMoveRows();
  Renumber(row, row + 1);
}

void DownloadListModel::ListAboutToReset() {
  beginResetModel();
}

void DownloadListModel::ListReset() {
  TakeRows();
  endResetModel();
}

void DownloadListModel::TakeRows() {
  last_.reset();
  rows_.clear();
  for (std::size_t i = 0; i < engine_.Count(); ++i)
    rows_.push_back({engine_.SerialAt(i), static_cast<int>(i) + 1});
}

} // namespace vidtrawl::gui
