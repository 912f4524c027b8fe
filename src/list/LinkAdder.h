#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vidtrawl::host {
class MessageBox;
}
namespace vidtrawl::net {
class Download;
}
namespace vidtrawl::resolve {
class LinkFetcher;
}

namespace vidtrawl::list {

class DownloadList;
class ListBinder;

// Brings page addresses into the download list and turns an item into a
// downloadable one when the download pass reaches it.
class LinkAdder {
public:
  LinkAdder(DownloadList &items, ListBinder &binder, resolve::LinkFetcher &fetcher,
            net::Download &download, host::MessageBox &messages);

  // Adds one page address, blanks and line ends around it removed, with its
  // first status; an address already listed is silently left as it is, and
  // an empty one is no address. When the list is full the user is told what
  // was not added.
  void AddLink(const std::string &url);

  // Adds many addresses as AddLink does, with one rebuild of the grid at the
  // end instead of one per address.
  void AddLinks(const std::vector<std::string> &urls);

  // The hidden add button: adds the text of its address box unchanged.
  void cmdAdd2List_Click(const std::string &txtURL) { AddLink(txtURL); }

  // Fetches and parses the item's page and fills its file name and size
  // from the video file. Returns the video address, or "-1" when the item
  // failed (its Status then says "ERROR"). The item's row shows each change
  // as it is made. A size header that is not a number ends the call with
  // net::TransferFault.
  std::string ResolveItem(std::size_t index);
  // Why the last ResolveItem failed the item, where a reason is known.
  const std::string &Failure() const { return failure_; }

private:
  // False when the address did not fit.
  bool Add(const std::string &text);
  void TellFull(std::size_t dropped);

  DownloadList &items_;
  ListBinder &binder_;
  resolve::LinkFetcher &fetcher_;
  net::Download &download_;
  host::MessageBox &messages_;
  std::string failure_;
};

} // namespace vidtrawl::list
