#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vidtrawl::pagesearch {

// How deep elements nest and how many attributes one tag keeps once a page
// is bounded: the tree depth browsers cap their parsers at, and far more
// attributes than any real element carries.
inline constexpr std::size_t kMaxTreeDepth = 256;
inline constexpr std::size_t kMaxTagAttributes = 256;

// The page's markup rewritten so that an HTML5 parser builds a tree of at
// most kMaxTreeDepth levels from tags of at most kMaxTagAttributes
// attributes, in time linear in the page's size. The parser's cost grows
// with the square of the depth and of an element's attribute count; a page
// within both limits comes back unchanged but for end tags made explicit
// where an element closes another.
std::string BoundMarkup(std::string_view html);

} // namespace vidtrawl::pagesearch
