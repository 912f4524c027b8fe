#pragma once

#include <string>
#include <string_view>

namespace vidtrawl::resolve {

// The one video file a web page of no known site carries, as standard
// markup says, and the page's title.
struct PageVideo {
  // The file's absolute address; a streaming playlist's when the page offers
  // nothing else; empty when it names none.
  std::string address;
  std::string title; // og:title, else <title>; blanks collapsed
};

// Reads the page (any bytes: it is parsed as a browser parses HTML) and looks
// for its video file, in this order: <video src> and <source src> of a video
// type (the largest declared resolution among several), Open Graph
// og:video:secure_url, og:video:url and og:video when they name a file (not
// a player page), twitter:player:stream, a JSON-LD VideoObject's contentUrl,
// and a plain link to a video file. Addresses are resolved against the
// page's address and its <base>; entities are decoded.
PageVideo FindPageVideo(std::string_view html, std::string_view pageAddress);

} // namespace vidtrawl::resolve
