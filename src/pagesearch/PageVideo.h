#pragma once

#include "pagesearch/ResolvedVideo.h"
#include "pagesearch/VideoProtocol.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::pagesearch {

// A page's video embedded from a video host, which has no file of its own
// to download.
struct HostedVideo {
  std::string site;    // "YouTube", "Vimeo" or "Dailymotion"
  std::string address; // the embedded video's absolute address
};

// What a web page of no known site offers for its main video. At most one of
// address, hosted and follow is set; none when the page offers no video.
struct PageVideo {
  // The video's absolute address: a file, else a streaming playlist when the
  // page offers the video only so.
  std::string address;
  VideoProtocol protocol = VideoProtocol::File;
  // The files of that video in each quality it declares (address among them), when a rule that
  // goes by quality chose it among several; empty otherwise.
  std::vector<VideoFile> files;
  std::string title; // og:title, else <title>; blanks collapsed
  // The page's only video is on a video host.
  std::optional<HostedVideo> hosted;
  // The page names only a player page (a JSON-LD embedUrl, an og:video of
  // type text/html, a same-site <iframe>): the page to search next, once.
  std::string follow;
  // The follow is where the page's refresh sends the browser: that page's title is the video's.
  bool redirect = false;
  // How the search went, for the trace: the rule that decided, and what it
  // passed over and why.
  std::vector<std::string> notes;
};

// Searches a fetched page (any bytes; contentType is the Content-Type header
// value it came with, maybe empty) for its main video, parsing it once.
// The bytes are decoded as a browser decodes them and their tree is
// bounded (see BoundMarkup). In the order it decides:
//  1. a <video> (or a player's element: <amp-video>, <video-js>,
//     <hls-video>, <media-player>...) whose source og:video, JSON-LD or
//     microdata names;
//  2. the main <video>: one with controls first (a player's own, those of a
//     <media-controller> for its slot="media"); none in an <aside>, a link
//     or an advertisement's box, none muted, looping or autoplaying without
//     controls;
//  3. the file og:video, twitter:player:stream, JSON-LD or microdata names;
//  4. a player's data-* attribute (or JSON in any attribute of a custom
//     element), Video.js data-setup, an inline script or JSON block naming
//     a file, or a <link rel=preload as=video> (the highest quality);
//  5. <embed>, <object>, <param> and flashvars file= / video=;
//  6. a link to a video file;
//  7. a muted, looping or autoplaying <video>.
// In a video's sources a file wins over a playlist, then the highest
// declared quality (size, res, label, data-quality, data-res, data-height,
// else the file name's 1080p, _720, -480), never the element's size; a
// playlist any rule decides gives way to a video file the page offers for
// download. With no video: the JSON-LD embedUrl, text/html og:video or
// microdata embedUrl to follow; else the page's video on YouTube, Vimeo or
// Dailymotion; else a <meta http-equiv=refresh> or a same-site <iframe> to
// follow. Sounds are never a video, and a video host's address never a file. Addresses are resolved
// against the page's address and its <base>; entities are decoded.
PageVideo FindPageVideo(std::string_view page, std::string_view pageAddress,
                        std::string_view contentType = {});

} // namespace vidtrawl::pagesearch
