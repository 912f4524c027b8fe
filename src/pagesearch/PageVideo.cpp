#include "pagesearch/PageVideo.h"

#include "base/AsciiCase.h"
#include "base/CollapseBlanks.h"
#include "base/TrimBlanks.h"
#include "net/WebAddress.h"
#include "pagesearch/BoundedMarkup.h"
#include "pagesearch/PageDecode.h"
#include "pagesearch/PageMarkup.h"
#include "pagesearch/VideoFiles.h"
#include "pagesearch/VideoHosts.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <vector>

namespace vidtrawl::pagesearch {
namespace {

// The site a host belongs to: its last two labels, three under a
// two-letter country's short second level ("example.co.uk"); an IPv4
// address is a site of its own.
std::string_view SiteOfHost(std::string_view host) {
  if (host.find_first_not_of("0123456789.") == std::string_view::npos)
    return host;
  std::size_t dot = host.rfind('.');
  if (dot == std::string_view::npos || dot == 0)
    return host;
  const std::size_t top = dot;
  dot = host.rfind('.', dot - 1);
  if (dot == std::string_view::npos)
    return host;
  if (host.size() - top - 1 == 2 && top - dot - 1 <= 3) {
    const std::size_t third = dot == 0 ? std::string_view::npos : host.rfind('.', dot - 1);
    return third == std::string_view::npos ? host : host.substr(third + 1);
  }
  return host.substr(dot + 1);
}

bool SameSite(std::string_view a, std::string_view b) {
  const auto first = net::ParseWebAddress(a);
  const auto second = net::ParseWebAddress(b);
  return first && second && SiteOfHost(first->host) == SiteOfHost(second->host);
}

// Makes the choice, in the order FindPageVideo's comment gives.
class Choice {
public:
  Choice(const PageMarkup &markup, std::string_view pageAddress, PageVideo &found)
      : markup_(markup), page_(pageAddress), found_(found) {
    base_ = net::ResolveWebAddress(pageAddress, markup.base).value_or(std::string(pageAddress));
    // What structured data names as the file, with the protocol its type or
    // address gives.
    for (const std::string &og : markup.ogVideos)
      Name(og, markup.ogVideoType, true);
    Name(markup.twitterStream, markup.twitterStreamType, false);
    for (const std::string &url : markup.structured.contentUrls)
      Name(url, {}, false);
  }

  void Make() {
    for (const PageVideoElement &video : markup_.videos)
      if ((video.aside || video.background) && !video.sources.empty())
        Note("passed over " + video.sources.front().reference +
             (video.aside ? ": in an <aside>, a link or an advertisement's box"
                          : ": muted, looping or autoplaying without controls (a background)"));
    if (Decided("a <video> whose file og:video, JSON-LD or microdata names", NamedVideo()) ||
        Decided("the main <video>", MainVideo()) ||
        Decided("the file og:video, twitter:player:stream, JSON-LD or microdata names",
                Best(named_, false)) ||
        Decided("a player's data-* attribute, configuration or script",
                Best(markup_.players, true)) ||
        Decided("an <embed>, <object>, <param> or flashvars", Best(markup_.flash, true)))
      return;
    for (const std::string &link : markup_.links)
      if (Decided("a link to a video file", Take({link, VideoProtocol::File, 0})))
        return;
    for (const PageVideoElement &video : markup_.videos)
      if (!video.aside &&
          Decided("a background <video>, for want of another", Best(video.sources, true)))
        return;
    if (Decided("a player page the structured data names, to follow", FollowStructured()) ||
        Decided("the video host the page embeds", Hosted()))
      return;
    // A page that sends the browser on is no page of its own: the next one's title is the file's.
    found_.redirect = !markup_.refresh.empty() && Follow(markup_.refresh, true);
    if (Decided("a refresh to another page of the site, to follow", found_.redirect))
      return;
    for (const std::string &frame : markup_.frames)
      if (Decided("a same-site <iframe>, to follow", Follow(frame, true)))
        return;
    Note("no rule found a video");
  }

private:
  void Note(std::string line) { found_.notes.push_back(std::move(line)); }

  bool Decided(std::string_view rule, bool decided) {
    if (decided)
      Note("decided by " + std::string(rule) + ": " +
           (found_.hosted           ? found_.hosted->site + " " + found_.hosted->address
            : found_.follow.empty() ? found_.address
                                    : found_.follow));
    return decided;
  }

  std::optional<std::string> Resolve(std::string_view reference) const {
    return net::ResolveWebAddress(base_, base::CollapseBlanks(reference));
  }

  // Open Graph names a file only by a video type or a file's extension;
  // twitter:player:stream and contentUrl name one whatever they look like, but a sound (a
  // podcast's episode) or a video host's page.
  void Name(const std::string &reference, std::string_view type, bool evidence) {
    VideoProtocol protocol = VideoProtocol::File;
    if (reference.empty() || (!ProtocolOfSource(type, reference, protocol) && evidence))
      return;
    if (base::StartsWithIgnoringCase(base::TrimBlanks(type), "audio/") ||
        NamesAudioFile(reference)) {
      Note("passed over " + reference + ": a sound, not a video");
      return;
    }
    if (const auto address = Resolve(reference); address && !VideoHostOf(*address).empty()) {
      Note("passed over " + *address + ": a page on " + std::string(VideoHostOf(*address)));
      return; // told as the page's hosted video, failing a file
    }
    named_.push_back({reference, protocol, 0});
    if (const auto address = Resolve(reference))
      namedAddresses_.push_back(*address);
  }

  bool NamedVideo() {
    for (const PageVideoElement &video : markup_.videos)
      for (const VideoSource &source : video.sources)
        if (const auto address = Resolve(source.reference);
            address && std::find(namedAddresses_.begin(), namedAddresses_.end(), *address) !=
                           namedAddresses_.end())
          return Best(video.sources, true);
    return false;
  }

  bool MainVideo() {
    const PageVideoElement *main = nullptr;
    for (const PageVideoElement &video : markup_.videos)
      if (!video.aside && !video.background && !video.sources.empty() &&
          (main == nullptr || (video.controls && !main->controls)))
        main = &video;
    return main != nullptr && Best(main->sources, true);
  }

  // The best of several sources: a file before a playlist, then the highest
  // quality (when it counts), then the first.
  bool Best(const std::vector<VideoSource> &sources, bool byQuality) {
    const VideoSource *best = nullptr;
    for (const VideoSource &source : sources) {
      const auto address = Resolve(source.reference);
      if (!address)
        Note("passed over " + source.reference + ": no address");
      if (!address || !VideoHostOf(*address).empty()) // a video host's: the last rules tell it
        continue;
      const bool file = source.protocol == VideoProtocol::File;
      if (best == nullptr || (file && best->protocol != VideoProtocol::File) ||
          (file == (best->protocol == VideoProtocol::File) && byQuality &&
           source.quality > best->quality))
        best = &source;
    }
    if (best != nullptr)
      for (const VideoSource &source : sources)
        if (const auto address = Resolve(source.reference);
            &source != best && address && VideoHostOf(*address).empty())
          Note("passed over " + source.reference + ": " +
               (best->protocol == VideoProtocol::File && source.protocol != VideoProtocol::File
                    ? std::string("a playlist, where the video has a file")
                    : "a lower quality (" + std::to_string(source.quality) + " against " +
                          std::to_string(best->quality) + ") or a later source"));
    if (best == nullptr || !Take(*best))
      return false;
    // The other qualities of a file, for a quality asked.
    if (byQuality && best->protocol == VideoProtocol::File) {
      for (const VideoSource &source : sources)
        if (const auto address = Resolve(source.reference);
            address && source.protocol == VideoProtocol::File && VideoHostOf(*address).empty() &&
            std::none_of(found_.files.begin(), found_.files.end(),
                         [&](const VideoFile &file) { return file.address == *address; }))
          found_.files.push_back({*address, source.quality});
      if (found_.files.size() < 2)
        found_.files.clear();
    }
    return true;
  }

  bool Take(const VideoSource &source) {
    const auto address = Resolve(source.reference);
    if (!address || !VideoHostOf(*address).empty())
      return false;
    // The file a page offers for download is the video its player streams.
    if (source.protocol != VideoProtocol::File)
      for (const std::string &download : markup_.downloads)
        if (const auto file = Resolve(download)) {
          Note("passed over " + *address + ": a playlist, where the page offers the file");
          found_.address = *file;
          found_.protocol = VideoProtocol::File;
          return true;
        }
    found_.address = *address;
    found_.protocol = source.protocol;
    return true;
  }

  bool FollowStructured() {
    for (const std::string &embed : markup_.structured.embedUrls)
      if (Follow(embed, false))
        return true;
    for (const std::string &og : markup_.ogVideos) {
      // A player page by its type, or by naming no file (a Flash player is none).
      VideoProtocol protocol = VideoProtocol::File;
      const bool player = base::StartsWithIgnoringCase(markup_.ogVideoType, "text/html") ||
                          (markup_.ogVideoType.empty() && !ProtocolOfSource({}, og, protocol) &&
                           !base::EqualsIgnoringCase(FileExtension(og), ".swf"));
      if (player && Follow(og, false))
        return true;
    }
    return false;
  }

  bool Follow(std::string_view reference, bool sameSiteOnly) {
    const auto address = Resolve(reference);
    if (!address || *address == page_ || !VideoHostOf(*address).empty())
      return false;
    if (sameSiteOnly && !SameSite(*address, page_)) {
      Note("passed over " + *address + ": a frame of another site");
      return false;
    }
    found_.follow = *address;
    return true;
  }

  bool Hosted() {
    std::vector<std::string> hosted;
    for (const PageVideoElement &video : markup_.videos)
      if (!video.aside)
        hosted.insert(hosted.end(), video.hosted.begin(), video.hosted.end());
    hosted.insert(hosted.end(), markup_.hosted.begin(), markup_.hosted.end());
    hosted.insert(hosted.end(), markup_.structured.embedUrls.begin(),
                  markup_.structured.embedUrls.end());
    hosted.insert(hosted.end(), markup_.ogVideos.begin(), markup_.ogVideos.end());
    hosted.insert(hosted.end(), markup_.structured.contentUrls.begin(),
                  markup_.structured.contentUrls.end());
    hosted.push_back(markup_.twitterStream);
    for (const std::string &reference : hosted) {
      const auto address = Resolve(reference);
      if (!address)
        continue;
      if (const std::string_view site = VideoHostOf(*address); !site.empty()) {
        found_.hosted = HostedVideo{std::string(site), *address};
        return true;
      }
    }
    return false;
  }

  const PageMarkup &markup_;
  std::string page_;
  PageVideo &found_;
  std::string base_;
  std::vector<VideoSource> named_;
  std::vector<std::string> namedAddresses_;
};

} // namespace

PageVideo FindPageVideo(std::string_view page, std::string_view pageAddress,
                        std::string_view contentType) {
  PageVideo found;
  // No parse errors are kept: the parser copies its whole stack of open
  // elements into each one.
  static const GumboOptions options = [] {
    GumboOptions quiet = kGumboDefaultOptions;
    quiet.max_errors = 0;
    return quiet;
  }();
  const std::string html = BoundMarkup(DecodePage(page, contentType));
  const std::unique_ptr<GumboOutput, void (*)(GumboOutput *)> tree(
      gumbo_parse_with_options(&options, html.data(), html.size()),
      [](GumboOutput *output) { gumbo_destroy_output(&options, output); });
  if (!tree)
    return found;
  PageMarkup markup;
  GatherMarkup(*tree->root, markup);
  found.title = !markup.ogTitle.empty() ? markup.ogTitle : markup.title;
  Choice(markup, pageAddress, found).Make();
  return found;
}

} // namespace vidtrawl::pagesearch
