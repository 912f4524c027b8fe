#include "gui/SpeedLimitMenu.h"

#include "engine/Engine.h"

#include <algorithm>
#include <vector>

namespace vidtrawl::gui {
namespace {

constexpr std::uint64_t kSteps[] = {0,        256 << 10, 512 << 10, 1 << 20,
                                    2u << 20, 5u << 20,  10u << 20};

QString StepText(std::uint64_t bytesPerSecond) {
  if (bytesPerSecond == 0)
    return QStringLiteral("&No Limit");
  return QString::fromStdString(engine::FormatSize(static_cast<double>(bytesPerSecond)) + "/s");
}

} // namespace

SpeedLimitMenu::SpeedLimitMenu(Get get, Set set, QWidget *parent)
    : QMenu(QStringLiteral("&Speed Limit"), parent), get_(std::move(get)), set_(std::move(set)),
      group_(this) {
  connect(this, &QMenu::aboutToShow, this, [this] { Refresh(); });
  Refresh();
}

void SpeedLimitMenu::Refresh() {
  clear();
  std::vector<std::uint64_t> steps(std::begin(kSteps), std::end(kSteps));
  const std::uint64_t now = get_();
  if (std::find(steps.begin(), steps.end(), now) == steps.end())
    steps.insert(std::upper_bound(steps.begin() + 1, steps.end(), now), now);
  for (const std::uint64_t step : steps) {
    QAction *entry = addAction(StepText(step), [this, step] { set_(step); });
    entry->setCheckable(true);
    entry->setChecked(step == now);
    group_.addAction(entry);
    if (step == 0)
      addSeparator();
  }
}

} // namespace vidtrawl::gui
