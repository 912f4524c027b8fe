#pragma once

#include "net/WebAddress.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace vidtrawl::resolve {

// Resolves a player address to the video address (YouTube's pages name only
// their player); its answer is the parser's result.
using PlayerResolver = std::function<std::string(const std::string &playerAddress)>;

// A parser takes the fetched page's text and the page address and returns the
// video file's address, or empty text when it finds none. It never reads
// outside the page and never throws for any page content.
using PageParser = std::string (*)(std::string_view text, std::string_view pageAddress,
                                   const PlayerResolver &player);

// Whether an address on the site's domain has the shape of its video pages
// (what the clipboard monitor takes).
using PageShape = bool (*)(const net::WebAddress &address);

// How the local files of a site's videos are named.
struct NamingRule {
  bool flashSuffix = false;        // ".flv" added: the site serves Flash video under other names
  std::size_t maxNameLength = 100; // bytes
  // Without a name from the server: the page's title with the file's
  // extension, else the last part of the address's path (not its whole
  // tail, query and all).
  bool titleOrPath = false;
};

// The video file a sample page leads to.
struct SampleVideo {
  std::string_view path;        // the path it is served under (no query)
  std::size_t size = 0;         // bytes
  bool announced = true;        // its length is sent (else the body is chunked)
  std::string_view offeredName; // sent as "filename=" when not empty
};

// A page of the site as its parser reads it, and what comes of it: the
// parsers' tests and the offline demo serve it.
struct SamplePage {
  std::string_view address;      // the page address a user would add
  std::string_view text;         // the page
  std::string_view videoAddress; // what the parser finds in it
  std::string_view fileName;     // the local file name the video gets
  SampleVideo video;
  // The player address's path and the redirection it gets, for a page that
  // names only its player; empty otherwise.
  std::string_view playerPath = {};
  std::string_view playerLocation = {};
};

// A page's title, for the name of a file its server does not name.
using PageTitle = std::string (*)(std::string_view text, std::string_view pageAddress);

// A supported site: everything that differs from one site to the next.
struct Site {
  std::string_view name;   // as users know it, for messages
  std::string_view domain; // looked for anywhere in an address, any letter case
  // What the clipboard monitor takes of the site's addresses (nothing: none).
  PageShape isVideoPage;
  PageParser parse; // nothing for a video file's own address: no page is fetched
  NamingRule naming;
  SamplePage sample;
  // A site of no domain of its own takes the http and https addresses of
  // any other host that this says are its.
  PageShape takes = nullptr;
  PageTitle title = nullptr;
};

} // namespace vidtrawl::resolve
