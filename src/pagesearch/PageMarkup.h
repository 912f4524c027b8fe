#pragma once

#include "pagesearch/StructuredData.h"
#include "pagesearch/VideoProtocol.h"

#include <gumbo.h>

#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::pagesearch {

// One address a page offers for a video, as written there (maybe relative).
struct VideoSource {
  std::string reference;
  VideoProtocol protocol = VideoProtocol::File;
  long quality = 0; // the picture height it declares; 0 for none
};

// A <video> (or a player element of its kind: <amp-video>, <video-js>) and
// what it offers.
struct PageVideoElement {
  std::vector<VideoSource> sources;
  std::vector<std::string> hosted; // its sources on a video host (player hints)
  bool controls = false;
  bool background = false; // muted, looping or autoplaying, without controls
  bool aside = false;      // in an <aside>, a link, or an ad's, sponsor's or promotion's box
};

// What a page says of its videos, gathered in one walk of its tree. Nothing
// inside an <aside>, a link or an advertisement's box counts but the
// <video>s (marked so).
struct PageMarkup {
  std::string base;
  std::string title;
  std::string ogTitle;
  std::vector<PageVideoElement> videos;
  // og:video:secure_url, og:video:url and og:video, in that order, and the
  // og:video:type of the page.
  std::vector<std::string> ogVideos;
  std::string ogVideoType;
  std::string twitterStream;
  std::string twitterStreamType;    // twitter:player:stream:content_type
  StructuredVideos structured;      // JSON-LD, then microdata itemprop contentUrl / embedUrl
  std::vector<VideoSource> players; // data-* attributes, inline scripts, a preloaded video
  std::vector<VideoSource> flash;   // <embed>, <object>, <param> and their flashvars
  std::vector<std::string> hosted;  // frames and players on a video host
  std::vector<std::string> frames;  // other <iframe>s
  std::vector<std::string> links;   // <a href> to video files
  // Of those, the ones offered for download (a download attribute, or "download" in the link's
  // text, class or id).
  std::vector<std::string> downloads;
  std::string refresh; // the page a <meta http-equiv=refresh> goes to
};

// The protocol a source's type names, or its address when it has no type;
// false when neither names a video (a player hint such as video/youtube, a
// page).
bool ProtocolOfSource(std::string_view type, std::string_view reference, VideoProtocol &protocol);

// Gathers what a parsed page says.
void GatherMarkup(const GumboNode &root, PageMarkup &markup);

} // namespace vidtrawl::pagesearch
