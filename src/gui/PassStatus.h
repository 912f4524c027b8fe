#pragma once

#include "engine/Engine.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace vidtrawl::gui {

// Keeps the status line (RunTexts' PassLine) and the speed limit's text up to date: they follow
// the list, and twice a second while a pass runs.
class PassStatus final : public QObject, public engine::ItemObserver {
  Q_OBJECT

public:
  explicit PassStatus(engine::Engine &engine, QObject *parent = nullptr);
  ~PassStatus() override;

  const std::string &Text() const { return text_; }
  const std::string &Limit() const { return limit_; }
  // Reads the line afresh (the speed limit changed, say).
  void Update();

  void ItemChanged(std::size_t index) override;
  void ItemsAdded(std::size_t, std::size_t) override { Update(); }
  void ItemsRemoved(std::size_t, std::size_t) override { Update(); }
  void ListReset() override { Update(); }

signals:
  void textChanged();

private:
  engine::Engine &engine_;
  QTimer ticker_;
  std::string text_;
  std::string limit_;
};

} // namespace vidtrawl::gui
