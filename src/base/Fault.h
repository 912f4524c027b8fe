#pragma once

#include <string>

namespace vidtrawl::base {

// Why something failed, as one vocabulary for the whole engine (curl's
// CURLcode is the model): a kind to decide by, and the detail to tell.
enum class FaultKind {
  UnsupportedSite,      // the address is no supported site's
  BadAddress,           // the address cannot be asked for (no http or https address, malformed)
  Network,              // no connection, no answer, a dropped one, a time limit: curl's words
  HttpStatus,           // the server answered with a status that is no file or page
  BadHeader,            // a header that cannot be read (a size that is no number, a block too long)
  PageTooLarge,         // a page over the largest a page may be
  SitePageNamesNoVideo, // the page names no video
  NoVideoFoundOnPage,   // a page of no known site carries no video file
  StreamingPlaylist,    // the page offers its video only as a streaming playlist
  HostedVideo,          // the page's video is on a video host (YouTube, Vimeo): no file of its own
  PlayerLookup,         // the video's address could not be had from the site's player host
  FileMissing,          // the server has no such file
  ShortBody,            // fewer bytes arrived than were announced
  WebPage,              // a web page came where a file was asked for (a login or error page)
  LocalFile,            // the file could not be made, written or renamed
  Stream,    // a playlist, manifest or segment that cannot be made into a file (live, DRM)
  Remux,     // the received segments could not be joined into one playable file
  Extractor, // the site extractor program found no video, or could not be asked (its words)
};

struct Fault {
  FaultKind kind = FaultKind::Network;
  // What there is to tell beyond the kind: curl's or the system's words, the
  // server's status line, the bytes that arrived. Made where the fault arose.
  std::string detail;
  int httpStatus = 0;  // the server's status, when it answered
  int systemError = 0; // errno, for a local file
  // The same request may well succeed later (a refused or dropped
  // connection, a time limit, a server busy or failing for now); and how
  // long the server asked to be left alone first (Retry-After; -1: it did not).
  bool transient = false;
  int retryAfter = -1; // seconds

  // It arose while the page was fetched or read, before any file was asked for.
  bool ofPage = false;

  friend bool operator==(const Fault &, const Fault &) = default;
};

// The item's page was read, and it names no video to download.
inline bool NamesNoVideo(const Fault &fault) {
  return fault.kind == FaultKind::SitePageNamesNoVideo || fault.kind == FaultKind::PlayerLookup;
}

} // namespace vidtrawl::base
