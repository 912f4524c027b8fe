#pragma once

#include "engine/Engine.h"

#include <vector>

class QMenu;

namespace vidtrawl::gui {

class DesktopController;

// The menu of the list's rows, for the selected items: open a complete
// item's file, open the folder of the first item's file, copy the addresses,
// retry the failed and cancelled ones, pause or resume them, remove them;
// and the speed limit of all downloads. Entries that cannot act
// on these items are shown disabled.
void FillListMenu(QMenu &menu, DesktopController &controller, const engine::Engine &engine,
                  const std::vector<engine::Serial> &items);

} // namespace vidtrawl::gui
