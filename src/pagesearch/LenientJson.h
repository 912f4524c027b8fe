#pragma once

#include <nlohmann/json.hpp>

#include <string_view>

namespace vidtrawl::pagesearch {

// A JSON block of a page read as a browser's script would take it, not as
// strict JSON: raw line breaks and tabs inside strings, a comma before a
// closing bracket, comments, and an HTML comment around the block are
// accepted. A discarded value when it still is no JSON.
nlohmann::json ParseLenientJson(std::string_view text);

} // namespace vidtrawl::pagesearch
