#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::list {

// The addresses a text holds, as a link grabber picks them out of anything pasted or dropped (a
// list, a mail, a page of notes): each http or https address, in order, without the punctuation
// that closes the sentence it stands in. A text that holds none gives each of its lines that is
// not blank, as typed.
std::vector<std::string> AddressesInText(std::string_view text);

} // namespace vidtrawl::list
