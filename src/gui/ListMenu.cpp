#include "gui/ListMenu.h"

#include "gui/DesktopController.h"

#include <QKeySequence>
#include <QMenu>

#include <algorithm>
#include <set>

namespace vidtrawl::gui {

void FillListMenu(QMenu &menu, DesktopController &controller, const engine::Engine &engine,
                  const std::vector<engine::Serial> &items, const ListMenuExtras &extras) {
  menu.clear();
  if (items.empty())
    return;
  std::vector<engine::ItemView> views;
  for (const engine::Serial serial : items)
    if (std::optional<engine::ItemView> item = engine.Find(serial))
      views.push_back(std::move(*item));
  const auto any = [&](std::initializer_list<engine::Phase> phases) {
    return std::any_of(views.begin(), views.end(), [&](const engine::ItemView &item) {
      return std::find(phases.begin(), phases.end(), item.phase) != phases.end();
    });
  };
  const auto complete = std::find_if(views.begin(), views.end(), [](const auto &item) {
    return item.phase == engine::Phase::Complete;
  });
  const engine::Serial file = complete == views.end() ? 0 : complete->serial;
  QAction *open = menu.addAction(QStringLiteral("&Open File"),
                                 [&controller, file] { controller.OpenFile(file); });
  open->setEnabled(file != 0);
  // One folder each: items of one folder open it once.
  std::vector<engine::Serial> folders;
  std::set<std::string> seen;
  for (const engine::ItemView &item : views)
    if (seen.insert(item.folder).second)
      folders.push_back(item.serial);
  menu.addAction(folders.size() > 1 ? QStringLiteral("Open &Folders")
                                    : QStringLiteral("Open &Folder"),
                 [&controller, folders] {
                   for (const engine::Serial serial : folders)
                     controller.OpenFolder(serial);
                 });
  menu.addAction(items.size() == 1 ? QStringLiteral("&Copy Address")
                                   : QStringLiteral("&Copy Addresses"),
                 [&controller, items] { controller.CopyAddresses(items); });
  QAction *copyLog = menu.addAction(QStringLiteral("Copy &Log"), [&controller, items, extras] {
    controller.CopyText(extras.log(items));
  });
  copyLog->setEnabled(static_cast<bool>(extras.log));
  menu.addSeparator();
  QAction *retry =
      menu.addAction(QStringLiteral("&Retry"), [&controller, items] { controller.Retry(items); });
  retry->setEnabled(any({engine::Phase::Failed, engine::Phase::Cancelled}));
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
  menu.addSeparator();
  QAction *details = menu.addAction(QStringLiteral("&Details"), [extras] {
    if (extras.toggleDetails)
      extras.toggleDetails();
  });
  details->setCheckable(true);
  details->setChecked(extras.detailsShown);
  QAction *settings = menu.addAction(QStringLiteral("&Settings…"), [extras] {
    if (extras.settings)
      extras.settings();
  });
  settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
}

} // namespace vidtrawl::gui
