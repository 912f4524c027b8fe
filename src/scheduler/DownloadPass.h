#pragma once

#include "list/Item.h"
#include "list/TargetNames.h"

#include <filesystem>
#include <optional>

namespace vidtrawl::list {
class DownloadList;
}
namespace vidtrawl::net {
class Session;
}
namespace vidtrawl::resolve {
class PageResolver;
}

namespace vidtrawl::scheduler {

// One pass over the download list: every item that is neither complete nor
// failed has its page resolved, its file asked about and received into the
// download folder, and its outcome recorded in its state. The pass runs
// synchronously and the host's pump runs inside it, so a stop, an add or an
// edit can arrive at any step: items are followed by their serials, an item
// removed while it is worked on ends its transfer, and a stop ends the pass
// with the item worked on "Cancelled".
class DownloadPass {
public:
  struct Summary {
    int completed = 0;
    int failed = 0;
  };

  DownloadPass(list::DownloadList &items, resolve::PageResolver &pages, net::Session &session);

  // Runs a pass into `folder` (made with its parents when missing); returns
  // at once, with nothing done, while one runs.
  Summary Run(const std::filesystem::path &folder);
  // The pass stops at once: the item worked on is "Cancelled", the items
  // after it keep their state. Nothing when no pass runs.
  void RequestStop();

  bool Running() const { return running_; }
  // The item the pass works on.
  std::optional<list::Serial> Current() const { return current_; }

private:
  enum class Outcome { Skipped, Transferred, Stopped, Gone };
  Outcome Process(list::Serial serial, const std::filesystem::path &folder);
  // The item is gone (removed by the user), or the pass stops: the item,
  // when still there, is "Cancelled".
  std::optional<Outcome> EndedMeanwhile(list::Serial serial);
  void Fail(list::Serial serial, base::Fault fault, bool fileMissing = false);

  list::DownloadList &items_;
  resolve::PageResolver &pages_;
  net::Session &session_;
  list::TargetNames names_;
  Summary summary_;
  bool running_ = false;
  bool stopRequested_ = false;
  std::optional<list::Serial> current_;
};

} // namespace vidtrawl::scheduler
