#pragma once

#include <QAbstractTableModel>

#include <functional>
#include <string>
#include <vector>

namespace vidtrawl::host {
class DownloadRecordset;
}

namespace vidtrawl::gui {

// The texts the download grid shows: one row per record of the recordset it
// was last given, five columns in the recordset's field order. The texts are
// copied into one flat vector, so a list of tens of thousands of rows is
// replaced in one pass and costs no object per row.
class DownloadGridModel final : public QAbstractTableModel {
  Q_OBJECT

public:
  // Called when the user commits an edit; true when the edit was taken.
  using CommitEdit = std::function<bool(int row, int column, const std::string &value)>;

  explicit DownloadGridModel(QObject *parent = nullptr);

  // Replaces every row with the recordset's records (nullptr: no rows).
  void Reset(const host::DownloadRecordset *recordset);
  int Rows() const { return rows_; }
  const std::string &Text(int row, int column) const;
  // Changes one cell and shows it at once.
  void SetText(int row, int column, const std::string &value);
  void SetCommitEdit(CommitEdit commit) { commit_ = std::move(commit); }

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
  std::size_t Slot(int row, int column) const;

  std::vector<std::string> texts_; // row by row, five texts each
  int rows_ = 0;
  CommitEdit commit_;
};

} // namespace vidtrawl::gui
