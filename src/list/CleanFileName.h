#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::list {

// What a file name becomes when nothing usable is left of it.
inline constexpr char kEnterFileName[] = "Enter File Name";

// Removes the characters that may not stand in a file name: \ / : * ? " < >
// | & and every control character (codes 0-31 and 127), the invisible
// characters that change how a name reads (base::InvisibleFormatLength:
// bidirectional controls, C1 controls, zero-width spaces), then the dots and
// blanks at its start, so that no name is hidden (".bashrc") or names the
// download folder or its parent. Nothing is put in their place and nothing
// else changes (no length limit, letter case kept). When nothing is left,
// the result is "Enter File Name".
std::string CleanFileName(std::string_view value);

} // namespace vidtrawl::list
