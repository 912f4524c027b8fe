#pragma once

#include "engine/Engine.h"

#include <QAbstractTableModel>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::gui {

// The download list as Qt's views see it: one row per item, the columns of ListColumns.h, the
// texts made by the engine's formatter. It keeps its own rows (the items' serials, in list
// order), follows the list through the engine's observer, told before items go, and asks the
// engine for an item by its serial, so that what the views are told and what they read never
// part. The runs of the items being downloaded come once per tick, as one change. The file name
// cell edits rename the item (through the desktop's rename, which tells a refusal). The tooltips
// show a whole address or file name, and a failed item's reason.
class DownloadListModel final : public QAbstractTableModel, public engine::ItemObserver {
  Q_OBJECT

public:
  enum Role {
    PhaseRole = Qt::UserRole + 1, // the item's engine::Phase, as an int
    PercentRole,                  // the bar's share: in the status cell a transfer's, in the
                                  // progress cell also a stopped one's; none when unknown
    SerialRole,                   // the item's serial (qulonglong)
    SortRole,                     // what the rows are sorted by in a column: numbers
                                  // where the texts are numbers or states
  };

  explicit DownloadListModel(engine::Engine &engine, QObject *parent = nullptr);
  ~DownloadListModel() override;

  engine::Serial SerialAt(int row) const;
  // What a name typed into a cell does (the desktop's rename, which tells a refusal); whether
  // it was taken. By default the engine's own.
  using Rename = std::function<bool(engine::Serial serial, const std::string &typed)>;
  void OnRename(Rename rename) { rename_ = std::move(rename); }

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

  void ItemChanged(std::size_t index) override;
  void RunsChanged(const std::vector<std::size_t> &indices) override;
  void ItemsAdded(std::size_t first, std::size_t count) override;
  void ItemsAboutToBeRemoved(std::size_t first, std::size_t count) override;
  void ItemsRemoved(std::size_t first, std::size_t count) override;
  void ItemsSwapped(std::size_t index) override;
  void ListAboutToReset() override;
  void ListReset() override;

signals:
  // The pass began to work on the item in this row.
  void itemStarted(int row);

private:
  // The row's item as the engine has it now; none when it is gone. A view asks for a row's
  // cells one after the other: the item is made once for them.
  const engine::ItemView *ItemAt(int row) const;
  void TakeRows();
  // The rows from `first` on are numbered by their place again, and the views told.
  void Renumber(int first, int last);

  // A row: its item, and the number (ID) it shows. A row keeps its number while it moves, and
  // is numbered anew right after, as the views are told: what the views hold of a row is the
  // row's until they hear that it changed.
  struct Row {
    engine::Serial serial;
    int number;
  };
  engine::Engine &engine_;
  std::vector<Row> rows_;
  mutable std::optional<engine::ItemView> last_;
  engine::Serial started_ = 0;
  Rename rename_;
};

} // namespace vidtrawl::gui
