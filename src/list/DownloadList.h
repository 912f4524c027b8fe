#pragma once

#include "list/DownloadItem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vidtrawl::list {

class ItemObserver;

// The ordered list of download items. The item at index i always has
// ID = i + 1; every operation here keeps that, so other code addresses the
// item with ID n directly at index n - 1. The list order is the display
// order and the order of the download pass. Fields change only through the
// list's own operations, which tell the observer.
class DownloadList {
public:
  // ID is a 16-bit signed number: IDs 1 to 32767.
  static constexpr std::size_t kMaxItems = 32767;

  bool IsListEmpty() const { return items_.empty(); }
  std::size_t Count() const { return items_.size(); }

  // Appends an item unless an item with exactly this Video_URL (case
  // significant) is listed already. An empty status stores "Waiting", an
  // empty size "????". True when the address is in the list afterwards;
  // false when the list is full or storage is exhausted (list unchanged).
  bool AddItem(const std::string &url, const std::string &fileName, const std::string &status,
               const std::string &size);

  // Sets, in the item with this ID, each field whose new value is non-empty.
  // An unknown ID changes nothing. Always true.
  bool UpdateItem(int id, const std::string &url, const std::string &fileName,
                  const std::string &status, const std::string &size);

  // One field of the item at this index; an index out of range changes nothing.
  void SetVideoURL(std::size_t index, const std::string &url);
  void SetFileName(std::size_t index, const std::string &fileName);
  void SetStatus(std::size_t index, const std::string &status);
  void SetFileSize(std::size_t index, const std::string &size);

  // Removes the item(s) with this ID and renumbers the rest 1, 2, 3 ... in
  // their old order. Survivors with an empty Status or FileSize get the
  // defaults of AddItem; equal Video_URL texts all survive. False only when
  // the list was empty.
  bool RemoveItem(int id);

  // Exchanges the item with this ID with the one before (after) it. The
  // first item never moves up, the last never down; an unknown ID or a
  // one-item list changes nothing.
  void MoveItemUp(int id);
  void MoveItemDown(int id);

  // Access by index (ID - 1). operator[] does not check; At throws
  // std::out_of_range.
  const DownloadItem &operator[](std::size_t index) const { return items_[index]; }
  const DownloadItem &At(std::size_t index) const { return items_.at(index); }
  const std::vector<DownloadItem> &Items() const { return items_; }
  std::vector<DownloadItem>::const_iterator begin() const { return items_.begin(); }
  std::vector<DownloadItem>::const_iterator end() const { return items_.end(); }

  // Every item also carries a serial number of its own, given when it is
  // added and never reused nor shown. Code that works on an item across a
  // yield (the pass, its event handlers) holds the serial and finds the
  // item's index again afterwards, since the user may remove or move items
  // at any yield.
  std::uint64_t SerialAt(std::size_t index) const { return serials_.at(index); }
  // The index of the item with this serial; nothing when the item is gone.
  std::optional<std::size_t> IndexOfSerial(std::uint64_t serial) const;

  // How many items carry exactly this file name (a constant-time look-up,
  // for the names the download pass gives).
  std::size_t CountOfFileName(const std::string &fileName) const;

  // The observer told of every change from now on (nullptr: none).
  void SetObserver(ItemObserver *observer) { observer_ = observer; }

private:
  static void Count(std::unordered_map<std::string, int> &counts, const std::string &key,
                    int delta);
  void CountUrl(const std::string &url, int delta) { Count(urlCounts_, url, delta); }
  void Changed(std::size_t index);
  void Restructured();

  std::vector<DownloadItem> items_;
  std::vector<std::uint64_t> serials_; // parallel to items_
  std::uint64_t nextSerial_ = 1;
  // The duplicate test, the serial and the file name look-ups take
  // constant time.
  std::unordered_map<std::string, int> urlCounts_;
  std::unordered_map<std::string, int> fileNameCounts_;
  std::unordered_map<std::uint64_t, std::size_t> indexOfSerial_;
  ItemObserver *observer_ = nullptr;
};

} // namespace vidtrawl::list
