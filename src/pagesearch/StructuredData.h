#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::pagesearch {

// What a page's JSON-LD says of its videos, as written (maybe relative).
struct StructuredVideos {
  std::vector<std::string> contentUrls; // the files themselves
  std::vector<std::string> embedUrls;   // player pages
};

// Adds what one ld+json block says: the contentUrl and embedUrl of every
// VideoObject and of every object under a "video" property, inside @graph
// and arrays too, down to 16 levels. The block is read leniently.
void ReadStructuredData(std::string_view block, StructuredVideos &videos);

} // namespace vidtrawl::pagesearch
