#pragma once

#include "net/ClientOptions.h"
#include "net/WebAddress.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vidtrawl::sites {

// What a parser finds in a page.
struct PageFinding {
  PageFinding() = default;
  // Most pages name their file, and nothing else.
  PageFinding(std::string videoAddress) : video(std::move(videoAddress)) {}

  std::string video;  // the video file's address; empty when the page names none
  std::string player; // else the address of a player whose host names the video (YouTube)
  std::string title;  // the page's title, where the site reads one
};

// A parser takes the fetched page's text and the page address. It never
// reads outside the page and never throws for any page content.
using PageParser = PageFinding (*)(std::string_view text, std::string_view pageAddress);

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

// What a site's record stands for: one of the known sites (its domain in an address decides), a
// video file's own address on any host, or any other page (searched for its video).
enum class SiteKind { Known, VideoFile, AnyPage };

// A supported site: everything that differs from one site to the next.
struct Site {
  SiteKind kind = SiteKind::Known;
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
};

// How requests for a site's pages and files present themselves: the known
// sites as they always were, any other as a browser of today.
inline net::Agent AgentFor(const Site &site) {
  return site.kind == SiteKind::Known ? net::Agent::Legacy : net::Agent::Browser;
}

} // namespace vidtrawl::sites
