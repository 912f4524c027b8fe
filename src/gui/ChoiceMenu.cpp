#include "gui/ChoiceMenu.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace vidtrawl::gui {
namespace {

constexpr std::uint64_t kSpeedSteps[] = {0,        256 << 10, 512 << 10, 1 << 20,
                                         2u << 20, 5u << 20,  10u << 20};

QString SpeedText(std::uint64_t bytesPerSecond) {
  if (bytesPerSecond == 0)
    return QStringLiteral("&No Limit");
  return QString::fromStdString(engine::FormatSize(static_cast<double>(bytesPerSecond)) + "/s");
}

} // namespace

ChoiceMenu::ChoiceMenu(const QString &title, Steps steps, Get get, Set set, QWidget *parent)
    : QMenu(title, parent), steps_(std::move(steps)), get_(std::move(get)), set_(std::move(set)),
      group_(this) {
  connect(this, &QMenu::aboutToShow, this, [this] { Refresh(); });
  Refresh();
}

void ChoiceMenu::Refresh() {
  clear();
  const std::string now = get_();
  const std::vector<Step> steps = steps_(now);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const std::string value = steps[i].value;
    QAction *entry = addAction(steps[i].text, [this, value] { set_(value); });
    entry->setCheckable(true);
    entry->setChecked(value == now);
    group_.addAction(entry);
    if (i == 0)
      addSeparator();
  }
}

SpeedLimitMenu::SpeedLimitMenu(std::function<std::uint64_t()> get,
                               std::function<void(std::uint64_t)> set, QWidget *parent)
    : ChoiceMenu(
          QStringLiteral("&Speed Limit"),
          [](const std::string &current) {
            std::vector<std::uint64_t> limits(std::begin(kSpeedSteps), std::end(kSpeedSteps));
            const std::uint64_t now = std::stoull(current);
            if (std::find(limits.begin(), limits.end(), now) == limits.end())
              limits.insert(std::upper_bound(limits.begin() + 1, limits.end(), now), now);
            std::vector<Step> steps;
            for (const std::uint64_t limit : limits)
              steps.push_back({SpeedText(limit), std::to_string(limit)});
            return steps;
          },
          [get] { return std::to_string(get()); },
          [set](const std::string &value) { set(std::stoull(value)); }, parent) {}

} // namespace vidtrawl::gui
