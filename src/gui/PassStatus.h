#pragma once

#include "engine/Engine.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace vidtrawl::gui {

// The pass at a glance, one line. With an item being worked on: which item
// of how many, its bytes of its size, the speed and the time left for it
// ("Downloading 3 of 7 · 12.4 MB of 40 MB · 2.1 MB/s · 13 s left"); without
// one, how the list stands ("5 of 7 complete, 1 failed"; nothing for a list
// of no supported item).
std::string PassLine(const engine::PhaseCounts &counts, const engine::ItemView *current);

// A duration for people: "45 s", "2 min 5 s", "1 h 3 min".
std::string DurationText(double seconds);

// Keeps the line up to date: it follows the list, twice a second while a
// pass runs.
class PassStatus final : public QObject, public engine::ItemObserver {
  Q_OBJECT

public:
  explicit PassStatus(engine::Engine &engine, QObject *parent = nullptr);
  ~PassStatus() override;

  const std::string &Text() const { return text_; }

  void ItemChanged(std::size_t index) override;
  void ItemsAdded(std::size_t, std::size_t) override { Update(); }
  void ItemsRemoved(std::size_t, std::size_t) override { Update(); }
  void ListReset() override { Update(); }

signals:
  void textChanged();

private:
  void Update();

  engine::Engine &engine_;
  QTimer ticker_;
  std::string text_;
};

} // namespace vidtrawl::gui
