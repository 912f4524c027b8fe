#pragma once

#include "channel/HandedItem.h"
#include "engine/Engine.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace vidtrawl::gui {

// How the browser asked for an item: what its own requests should carry.
// Held in memory only, never written to the list, the trace or the screen.
struct BrowserRequest {
  std::string referer;
  std::string userAgent;
  std::vector<channel::BrowserCookie> cookies;
};

// Items the browser handed over. The address added is the chosen one (a
// video, a playlist, a link), else the page's; a chosen video's file is
// named after the page's title. An item listed already takes the new
// request, and is started again when it had failed or was cancelled.
//
// The engine cannot carry a request of its own for an item yet: until it
// can, each item's BrowserRequest waits here, under its serial, for it.
class BrowserItems {
public:
  explicit BrowserItems(engine::Engine &engine) : engine_(engine) {}

  // The items added (those listed already that were started again are not among them), and how
  // many did not fit in the list.
  engine::Added Add(const std::vector<channel::HandedItem> &items);
  // The request of a listed item; nothing for one the browser did not hand over.
  const BrowserRequest *RequestOf(engine::Serial serial) const;

private:
  engine::Engine &engine_;
  std::unordered_map<engine::Serial, BrowserRequest> requests_;
};

// A name form ({ext} and the like, see Engine::SetNameTemplate) for a file
// named after a page's title: its text taken as it is, never as fields.
std::string TitleNameForm(const std::string &title);

} // namespace vidtrawl::gui
