#pragma once

#include "list/Item.h"
#include "sites/SiteTable.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vidtrawl::list {

// The list kept between runs of the desktop program, as JSON: each item's
// address, file name, folder, state, sizes and fault. No list is larger.
inline constexpr std::size_t kMaxListFile = 64 * 1024 * 1024;

std::string ListText(const std::vector<Item> &items);

// The items a list text holds, or why it holds none: a text that is not
// such a list is refused whole. An item that was being worked on comes back
// cancelled (its partial file is taken up on the next pass); each item's
// site is found afresh by the rule.
struct ReadList {
  enum class Problem {
    None,
    NotAList,     // no JSON object
    OtherVersion, // a list of another version, or of another program
    NoItems,      // no items array
    DamagedItem,  // the item numbered `item` cannot be read
  };
  std::vector<std::pair<Item, Phase>> items; // each in the phase it is taken up in
  Problem problem = Problem::None;
  std::size_t item = 0; // DamagedItem: its number, from 1
};
ReadList ReadListText(std::string_view text, sites::SiteRule rule);

// ${XDG_DATA_HOME:-~/.local/share}/vidtrawl/list.json
std::filesystem::path DefaultListFile();

} // namespace vidtrawl::list
