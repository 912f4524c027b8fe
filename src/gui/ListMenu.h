#pragma once

#include "engine/Engine.h"

#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace vidtrawl::gui {

class DesktopController;

// The menu of the list's rows, for every selected item: open the first complete item's file,
// open the folders of their files, copy the addresses, retry the failed and cancelled ones, pause
// or resume them, remove them; copy the last lines of their trace (what was asked and answered,
// and why); show or hide the details pane; the settings window. Entries that cannot act on these
// items are shown disabled.
using LogOf = std::function<std::string(const std::vector<engine::Serial> &)>;
struct ListMenuExtras {
  LogOf log = {};
  bool detailsShown = false;
  std::function<void()> toggleDetails = {};
  std::function<void()> settings = {};
};
void FillListMenu(QMenu &menu, DesktopController &controller, const engine::Engine &engine,
                  const std::vector<engine::Serial> &items, const ListMenuExtras &extras = {});

} // namespace vidtrawl::gui
