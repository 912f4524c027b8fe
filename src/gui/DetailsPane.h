#pragma once

#include "engine/Engine.h"
#include "gui/ListLook.h"

#include <QFrame>

#include <optional>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vidtrawl::gui {

class ItemLog;

// The pane under the list that tells all about one item: its page and video addresses, the path
// of its file (and of its partial file), its size, how far, how fast and how long still, its
// connections or fragments, why it failed in full, and the last lines of its trace. It follows
// the item while it is on show; the texts can be selected and copied.
class DetailsPane final : public QFrame, public engine::ItemObserver {
  Q_OBJECT

public:
  DetailsPane(engine::Engine &engine, const ItemLog &log, QWidget *parent = nullptr);
  ~DetailsPane() override;

  // The item to tell about; nothing: none is selected.
  void ShowItem(std::optional<engine::Serial> serial);
  void SetLook(const ListLook &look);

  void ItemChanged(std::size_t index) override;
  void RunsChanged(const std::vector<std::size_t> &indices) override;
  void ItemsRemoved(std::size_t, std::size_t) override { Refresh(); }
  void ListReset() override { Refresh(); }

protected:
  void showEvent(QShowEvent *event) override;

private:
  void Refresh();
  QLineEdit *AddField(QFormLayout &form, const QString &label);

  engine::Engine &engine_;
  const ItemLog &log_;
  std::optional<engine::Serial> shown_;
  QLineEdit *page_, *video_, *file_, *size_, *progress_, *parts_;
  QFormLayout *form_;
  QLabel *reason_, *none_;
  QPlainTextEdit *trace_;
  std::uint64_t traceWritten_ = ~std::uint64_t{0};
};

} // namespace vidtrawl::gui
