#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vidtrawl::engine {

// A supported site's sample page, as its rules read it, and what comes of it: the offline demo
// serves them.
struct SamplePage {
  std::string_view site;         // the site's name, for messages
  std::string_view address;      // the page address a user would add
  bool fetched = true;           // its page is fetched (a video file's own address is not)
  std::string_view text;         // the page
  std::string_view videoAddress; // what its rule finds in it
  std::string_view fileName;     // the local file name the video gets
  std::string_view videoPath;    // the path the video file is served under (no query)
  std::size_t videoSize = 0;     // its bytes
  bool announced = true;         // its length is sent (else the body is chunked)
  std::string_view offeredName;  // sent as "filename=" when not empty
  // The player address's path and the redirection it gets, for a page that names only its
  // player; empty otherwise.
  std::string_view playerPath;
  std::string_view playerLocation;
};

// One for each supported site, in the order the sites are tried.
std::vector<SamplePage> SamplePages();

} // namespace vidtrawl::engine
