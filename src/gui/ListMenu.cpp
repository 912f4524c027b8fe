#include "gui/ListMenu.h"

#include "gui/ChoiceMenu.h"
#include "gui/DesktopController.h"

#include <QKeySequence>
#include <QMenu>

#include <algorithm>

namespace vidtrawl::gui {

void FillListMenu(QMenu &menu, DesktopController &controller, const engine::Engine &engine,
                  const std::vector<engine::Serial> &items, LogOf log) {
  menu.clear();
  if (items.empty())
    return;
  const engine::Serial first = items.front();
  const std::optional<engine::ItemView> item = engine.Find(first);
  const auto phaseIs = [&](engine::Serial serial, std::initializer_list<engine::Phase> phases) {
    const std::optional<engine::ItemView> found = engine.Find(serial);
    return found && std::find(phases.begin(), phases.end(), found->phase) != phases.end();
  };

  QAction *open = menu.addAction(QStringLiteral("&Open File"),
                                 [&controller, first] { controller.OpenFile(first); });
  open->setEnabled(item && item->phase == engine::Phase::Complete);
  menu.addAction(QStringLiteral("Open &Folder"),
                 [&controller, first] { controller.OpenFolder(first); });
  menu.addAction(items.size() == 1 ? QStringLiteral("&Copy Address")
                                   : QStringLiteral("&Copy Addresses"),
                 [&controller, items] { controller.CopyAddresses(items); });
  QAction *copyLog = menu.addAction(QStringLiteral("Copy &Log"),
                                    [&controller, items, log] { controller.CopyText(log(items)); });
  copyLog->setEnabled(static_cast<bool>(log));
  menu.addSeparator();
  QAction *retry =
      menu.addAction(QStringLiteral("&Retry"), [&controller, items] { controller.Retry(items); });
  retry->setEnabled(std::any_of(items.begin(), items.end(), [&](engine::Serial serial) {
    return phaseIs(serial, {engine::Phase::Failed, engine::Phase::Cancelled});
  }));
  const auto any = [&](std::initializer_list<engine::Phase> phases) {
    return std::any_of(items.begin(), items.end(),
                       [&](engine::Serial serial) { return phaseIs(serial, phases); });
  };
  QAction *pause =
      menu.addAction(QStringLiteral("&Pause"), [&controller, items] { controller.Pause(items); });
  pause->setEnabled(any({engine::Phase::Waiting, engine::Phase::Resolving, engine::Phase::Asking,
                         engine::Phase::Receiving, engine::Phase::Cancelled}));
  QAction *resume =
      menu.addAction(QStringLiteral("Res&ume"), [&controller, items] { controller.Resume(items); });
  resume->setEnabled(any({engine::Phase::Paused}));
  QAction *remove =
      menu.addAction(QStringLiteral("Re&move"), [&controller] { controller.RemoveSelected(); });
  remove->setShortcut(QKeySequence::Delete);
  // Within reach of the keyboard too (the tray's menu is not).
  menu.addSeparator();
  menu.addMenu(new SpeedLimitMenu(
      [&controller] { return controller.SpeedLimit(); },
      [&controller](std::uint64_t limit) { controller.SetSpeedLimit(limit); }, &menu));
  menu.addMenu(new StreamQualityMenu(
      [&controller] { return controller.PreferredQuality(); },
      [&controller](const std::string &quality) { controller.SetPreferredQuality(quality); },
      &menu));
}

} // namespace vidtrawl::gui
