#pragma once

#include "engine/Engine.h"

#include <optional>
#include <vector>

namespace vidtrawl::gui {

// What the list's commands read of the user's selection in the list view.
class ListSelection {
public:
  virtual ~ListSelection() = default;
  // Every item is selected.
  virtual void SelectAll() = 0;
  // The selected items, in list order.
  virtual std::vector<engine::Serial> SelectedItems() const = 0;
  // The selected item nearest the top; nothing when none is.
  virtual std::optional<engine::Serial> FirstSelectedItem() const = 0;
};

} // namespace vidtrawl::gui
