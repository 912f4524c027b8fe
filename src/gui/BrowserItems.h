#pragma once

#include "channel/HandedItem.h"
#include "engine/Engine.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vidtrawl::gui {

// Items the browser handed over. The address added is the chosen one (a
// video, a playlist, a link), else the page's; a chosen video's file is
// named after the page's title. An item listed already takes the new
// request, and is started again when it had failed or was cancelled. What
// the browser asked with (referer, user agent, cookies) goes with the item's
// own requests.
class BrowserItems {
public:
  explicit BrowserItems(engine::Engine &engine) : engine_(engine) {}

  // The items added (those listed already that were started again are not among them), and how
  // many did not fit in the list.
  engine::Added Add(const std::vector<channel::HandedItem> &items);

private:
  engine::Engine &engine_;
};

// A name form ({ext} and the like, see Engine::SetNameTemplate) for a file
// named after a page's title: its text taken as it is, never as fields.
std::string TitleNameForm(const std::string &title);

} // namespace vidtrawl::gui
