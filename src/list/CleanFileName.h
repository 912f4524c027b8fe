#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::list {

// What a file name becomes when nothing usable is left of it.
inline constexpr char kEnterFileName[] = "Enter File Name";

// Removes the characters that may not stand in a file name: \ / : * ? " < >
// | & and every control character (codes 0-31 and 127). Nothing is put in
// their place and nothing else changes (no trimming, no length limit, letter
// case kept). When nothing is left, or only dots and blanks (".", ".." would
// name the download folder or its parent), the result is "Enter File Name".
std::string CleanFileName(std::string_view value);

} // namespace vidtrawl::list
