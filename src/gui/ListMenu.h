#pragma once

#include "engine/Engine.h"

#include <functional>
#include <string>
#include <vector>

class QMenu;

namespace vidtrawl::gui {

class DesktopController;

// The menu of the list's rows, for the selected items: open a complete
// item's file, open the folder of the first item's file, copy the addresses,
// retry the failed and cancelled ones, pause or resume them, remove them;
// copy the last lines of their trace (what was asked and answered, and
// why); and the speed limit of all downloads. Entries that cannot act on
// these items are shown disabled.
using LogOf = std::function<std::string(const std::vector<engine::Serial> &)>;
void FillListMenu(QMenu &menu, DesktopController &controller, const engine::Engine &engine,
                  const std::vector<engine::Serial> &items, LogOf log = {});

} // namespace vidtrawl::gui
