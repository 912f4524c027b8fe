#pragma once

#include "base/Outcome.h"
#include "engine/ExtractorFormats.h"
#include "engine/Formats.h"
#include "manifests/StreamChoice.h"
#include "net/FileInfoRequest.h"
#include "net/PageFetch.h"
#include "net/Requester.h"
#include "net/Session.h"
#include "sites/Site.h"
#include "sites/VideoLookup.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vidtrawl::engine {

// What an address offers, for a front end to list: its video resolved as a download resolves
// it, then a file's qualities each asked for its size and type (all at once), or a stream's
// playlist read for its variants (an HLS master playlist's, a DASH manifest's video and audio
// representations). An address the site extractor decides (as a download's would be) lists its
// formats (ExtractorFormats). The one `quality` takes is marked. It starts at once and ends on
// the loop; destroying it stops it without a word.
class FormatsLookup {
public:
  using Done = std::function<void(FormatList)>;

  FormatsLookup(net::Session &session, const sites::Site *site, const std::string &address,
                const extractor::ExtractorSettings &extractor, manifests::Quality quality,
                net::Requester requester, Done done);

private:
  // The site extractor lists them; `after`: what the program's own rules found, first in a fault.
  void AskExtractor(const std::string &why, bool after);
  void Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome);
  void Asked(std::size_t index, base::Outcome<net::RemoteFile> outcome);
  void ReadPlaylist(const net::Page &playlist);
  void Finish(std::optional<base::Fault> fault = std::nullopt);

  net::Session &session_;
  const sites::Site *site_;
  std::string address_;
  extractor::ExtractorSettings extractor_;
  manifests::Quality quality_;
  net::Requester requester_;
  Done done_;
  FormatList list_;
  pagesearch::VideoProtocol protocol_ = pagesearch::VideoProtocol::File;
  std::unique_ptr<sites::VideoLookup> lookup_;
  std::unique_ptr<ExtractorFormats> extracted_;
  std::unique_ptr<net::PageFetch> playlist_;
  std::vector<std::unique_ptr<net::FileInfoRequest>> asks_;
  std::size_t awaited_ = 0;
};

} // namespace vidtrawl::engine
