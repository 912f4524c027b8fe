#include "gui/BrowserItems.h"

#include <algorithm>

namespace vidtrawl::gui {

std::string TitleNameForm(const std::string &title) {
  std::string form = title;
  std::replace(form.begin(), form.end(), '{', '(');
  std::replace(form.begin(), form.end(), '}', ')');
  return form + ".{ext}";
}

engine::Added BrowserItems::Add(const std::vector<channel::HandedItem> &items) {
  engine::Added added;
  std::size_t &dropped = added.dropped;
  for (const channel::HandedItem &item : items) {
    const std::size_t before = engine_.Count();
    const std::string &address = item.ListedAddress();
    dropped += engine_.Add({address});
    engine::Serial serial = 0;
    if (engine_.Count() > before) {
      serial = engine_.SerialAt(engine_.Count() - 1);
      added.items.push_back(serial);
      if (!item.address.empty() && !item.title.empty())
        engine_.SetNameTemplate(serial, TitleNameForm(item.title));
    } else {
      const std::vector<engine::ItemView> listed = engine_.Items();
      const auto same = std::find_if(listed.begin(), listed.end(), [&](const engine::ItemView &it) {
        return it.address == address;
      });
      if (same == listed.end())
        continue;
      serial = same->serial;
      if (same->phase == engine::Phase::Failed || same->phase == engine::Phase::Cancelled)
        engine_.Retry({serial});
    }
    base::ItemRequest request{item.referer, item.userAgent, {}};
    for (const channel::BrowserCookie &cookie : item.cookies)
      request.cookies.push_back(channel::CookieLine(cookie));
    engine_.SetRequest(serial, std::move(request));
  }
  return added;
}

} // namespace vidtrawl::gui
