#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "list/TargetNames.h"

namespace vidtrawl::host {
class MessageBox;
class MovieVariables;
} // namespace vidtrawl::host
namespace vidtrawl::list {
class CurrentItem;
class DownloadList;
class LinkAdder;
class ListBinder;
class ListEditor;
} // namespace vidtrawl::list
namespace vidtrawl::settings {
class Settings;
}
namespace vidtrawl::net {
class Download;
}

namespace vidtrawl::scheduler {

struct RunState;

// One pass over the download list: every item that is neither "Complete"
// nor "ERROR" is resolved, its video downloaded into the download folder,
// and its outcome recorded in its status. The pass runs synchronously; the
// host's pump runs inside it, so a stop, an add or an edit can arrive at any
// step, and the pass always ends with every item in a status of the list's
// vocabulary. No two items are saved under one name (TargetNames), and why
// an item's transfer failed goes to the message host's log.
class DownloadPass {
public:
  DownloadPass(list::DownloadList &items, list::CurrentItem &current, list::ListBinder &binder,
               list::ListEditor &editor, list::LinkAdder &adder, net::Download &download,
               RunState &state, host::MovieVariables &movie, host::MessageBox &messages,
               const settings::Settings &settings);

  void StartDownloading();

  // How the items the last pass processed ended.
  struct Summary {
    int completed = 0;
    int failed = 0;
  };
  const Summary &LastSummary() const { return summary_; }

private:
  enum class Outcome { Process, Skipped, Transferred, Stopped, Gone };
  // One unfinished item: skipped when it failed before its transfer,
  // transferred, stopped (the pass ends) or gone (removed by the user
  // meanwhile). `index` follows the item when items before it move.
  Outcome ProcessItem(std::size_t &index);
  std::optional<Outcome> EndedMeanwhile(std::size_t index, bool present);
  void SetStatus(std::size_t index, const char *status);
  bool HasStatus(std::size_t index, const char *status) const;
  void LogFailure(const std::string &name, const std::string &reason);

  list::DownloadList &items_;
  list::CurrentItem &current_;
  list::ListBinder &binder_;
  list::ListEditor &editor_;
  list::LinkAdder &adder_;
  net::Download &download_;
  RunState &state_;
  host::MovieVariables &movie_;
  host::MessageBox &messages_;
  const settings::Settings &settings_;
  Summary summary_;
  list::TargetNames names_;
};

} // namespace vidtrawl::scheduler
