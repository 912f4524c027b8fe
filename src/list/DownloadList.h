#pragma once

#include "list/Item.h"
#include "sites/SiteTable.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vidtrawl::list {

class ListObserver;

// The download list: the one, typed source of truth of what is to be
// downloaded and how each item stands. The order is the display order and
// the pass's; an item's number (ID) is its index + 1. Commands name items by
// their serials; every change goes out to the observers. Each look-up (by
// serial, address or file name) takes constant time.
class DownloadList {
public:
  // IDs are 16-bit signed numbers: IDs 1 to 32767.
  static constexpr std::size_t kCapacity = 32767;
  // No address is longer: a longer text (a pasted document, an edited list)
  // is not taken for one.
  static constexpr std::size_t kMaxAddress = 8192;

  bool Empty() const { return items_.empty(); }
  std::size_t Count() const { return items_.size(); }
  const Item &operator[](std::size_t index) const { return items_[index]; }
  const std::vector<Item> &Items() const { return items_; }
  std::optional<std::size_t> IndexOf(Serial serial) const;
  const Item *Find(Serial serial) const;
  // How many items carry exactly this file name.
  std::size_t CountOfFileName(const std::string &fileName) const;

  // Which addresses are supported (AnyPage at first): decides at each add.
  void SetSiteRule(sites::SiteRule rule) { rule_ = rule; }
  sites::SiteRule SiteRule() const { return rule_; }

  // Appends an item for each address (blanks and line ends around it
  // removed) that is not empty, too long nor listed already (letter case counts); an
  // address of no supported site is listed as unsupported, or with
  // `supportedOnly` left out. Returns how many did not fit.
  std::size_t Add(const std::vector<std::string> &addresses, bool supportedOnly = false);

  // Removes the items; unknown serials are passed over. How many went.
  std::size_t Remove(const std::vector<Serial> &serials);
  // Every complete item goes.
  std::size_t ClearCompleted();
  // The item changes places with the one before (after) it; false at the
  // list's edge or for an unknown serial.
  bool MoveUp(Serial serial);
  bool MoveDown(Serial serial);
  // Failed and cancelled items go back to waiting, as if just added (a name
  // the user typed stays). Those that did.
  std::vector<Serial> Retry(const std::vector<Serial> &serials);
  // The user's name for the item's file: cleaned (TypedFileName); a name of
  // which nothing usable is left is refused. The cleaned name when taken.
  std::optional<std::string> Rename(Serial serial, const std::string &typed);

  // Takes these items in place of the list's (as many as fit, each address
  // once and none too long), with serials of their own, each in the phase
  // beside it (what a list read from a file becomes). How many were left out.
  std::size_t Restore(std::vector<std::pair<Item, Phase>> items);

  // Changes an item's record (what the pass does), its phase aside; false when it is gone.
  bool Update(Serial serial, const std::function<void(Item &)> &change);
  // Moves an item to another phase, for the reason given (the trace tells it), with a change
  // of its record told with it; false when it is gone.
  bool SetPhase(Serial serial, Phase phase, std::string_view why,
                const std::function<void(Item &)> &change = {});

  // Where phase changes are told, beside the observers.
  void SetTrace(base::Trace trace) { trace_ = trace; }

  // Observers hear of every change from now on, in the order they came.
  void Subscribe(ListObserver *observer);
  void Unsubscribe(ListObserver *observer);

private:
  void Index(const Item &item, int delta);
  void Reindex(std::size_t from);
  bool Change(Serial serial, const std::function<void(Item &)> &change, std::optional<Phase> phase,
              std::string_view why);
  // Removes items[first, first + count), telling the observers before and after.
  void RemoveRun(std::size_t first, std::size_t count);
  template <typename Call> void Tell(Call call);

  std::vector<Item> items_;
  Serial nextSerial_ = 1;
  std::unordered_map<Serial, std::size_t> indexOfSerial_;
  // Address texts as listed (AddressText) and file names, with their counts.
  std::unordered_map<std::string, int> listed_;
  std::unordered_map<std::string, int> fileNames_;
  std::vector<ListObserver *> observers_;
  sites::SiteRule rule_ = sites::SiteRule::AnyPage;
  base::Trace trace_;
};

} // namespace vidtrawl::list
