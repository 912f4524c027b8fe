#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vidtrawl::cli {

// One sample page of a supported site, in the format its parser reads.
struct DemoPage {
  std::string site;         // the site's name, for messages
  std::string address;      // the page address a user would add
  std::string path;         // the path the server answers for it (no query)
  std::string body;         // the page text
  std::string videoAddress; // the address the site's parser finds in it
  std::string fileName;     // the local file name the video gets
};

// One video file the pages point to.
struct DemoVideo {
  std::string path;      // the path the server answers for it (no query)
  std::size_t size = 0;  // bytes
  bool announced = true; // the size is sent (else the body is chunked)
  std::string filename;  // sent as "filename=" when not empty
  unsigned seed = 0;     // for the content
};

// A player address's redirection: the raw request for the player address is
// answered with a redirection whose query names the video.
struct DemoRedirect {
  std::string playerPath; // the player address's path
  std::string location;   // the "Location:" value of the answer
};

// The sample web of the offline demo: each supported site's sample page, the
// videos they lead to and one address of no supported site. Every address
// names the site's real host; connections are mapped to the demo's own
// server.
struct DemoSite {
  std::vector<DemoPage> pages;
  std::vector<DemoVideo> videos;
  std::vector<DemoRedirect> redirects;
  std::string unsupportedAddress;
};

const DemoSite &TheDemoSite();

// The content of a demo video: a Flash video header, then deterministic
// bytes.
std::string DemoVideoBytes(const DemoVideo &video);

} // namespace vidtrawl::cli
