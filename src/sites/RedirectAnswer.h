#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::sites {

// The video path carried by the player host's redirection answer: the query
// of the "Location:" header (found without regard to letter case), behind
// "/get_video". The header's value is taken from the tenth character after
// the start of "Location:" (one blank assumed after the colon) up to the
// first CR LF. Empty text when the answer holds no "Location:", no CR LF
// after it, no value, or no "?" in the value.
std::string YoutubePathFromAnswer(std::string_view answer);

} // namespace vidtrawl::sites
