#pragma once

#include <cstddef>
#include <string>

namespace vidtrawl::transfer {
class Download;
}
namespace vidtrawl::resolve {
class LinkFetcher;
}
namespace vidtrawl::scheduler {
struct WindowState;
}

namespace vidtrawl::list {

class DownloadList;
class ListBinder;
class ListEditor;

// Brings page addresses into the download list and turns an item into a
// downloadable one when the download pass reaches it.
class LinkAdder {
public:
  LinkAdder(DownloadList &items, ListBinder &binder, ListEditor &editor,
            resolve::LinkFetcher &fetcher, transfer::Download &download,
            scheduler::WindowState &state);

  // Adds one page address exactly as received (not trimmed) with its first
  // status; an address already listed is silently left as it is.
  void AddLink(const std::string &url);

  // The hidden add button: adds the text of its address box unchanged.
  void cmdAdd2List_Click(const std::string &txtURL) { AddLink(txtURL); }

  // Fetches and parses the item's page and fills its file name and size
  // from the video file. Returns the video address, or "-1" when the item
  // failed (its Status then says "ERROR"). The grid is not rebuilt at the
  // end; the caller does that. A size header that is not a number ends the
  // call with transfer::TransferFault.
  std::string ResolveItem(std::size_t index);

private:
  DownloadList &items_;
  ListBinder &binder_;
  ListEditor &editor_;
  resolve::LinkFetcher &fetcher_;
  transfer::Download &download_;
  scheduler::WindowState &state_;
};

} // namespace vidtrawl::list
