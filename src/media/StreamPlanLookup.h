#pragma once

#include "base/Outcome.h"
#include "host/EventLoop.h"
#include "manifests/StreamChoice.h"
#include "manifests/StreamPlan.h"
#include "net/PageFetch.h"
#include "net/Session.h"
#include "pagesearch/VideoProtocol.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::media {

// The fragments a streaming playlist's video is made of, at a quality (and a DASH manifest's
// audio in a language, when it has several): fetches the playlist (HLS or DASH, as the address
// was found to be: `protocol` is never File), and for an HLS master playlist the chosen
// variant's media playlist and its audio rendition's, both at once. Faults: those of the
// fetches (naming the playlist that failed), and the parsers' (kind Stream: live, DRM,
// malformed). It starts at once and ends on the loop; destroying it stops it without a word.
class StreamPlanLookup {
public:
  using Done = std::function<void(base::Outcome<manifests::StreamPlan>)>;

  StreamPlanLookup(net::Session &session, std::string address, pagesearch::VideoProtocol protocol,
                   manifests::Quality quality, std::string language, net::Requester requester,
                   Done done);

private:
  void Read(const net::Page &playlist);
  void ReadMaster(const net::Page &playlist);
  // A media playlist of the chosen variant arrived (index 0: the video's, 1: the audio's).
  void MediaPlaylist(std::size_t index, base::Outcome<net::Page> page);
  void Finish(base::Outcome<manifests::StreamPlan> outcome);

  net::Session &session_;
  std::string address_;
  pagesearch::VideoProtocol protocol_;
  manifests::Quality quality_;
  std::string language_;
  net::Requester requester_;
  Done done_;
  std::unique_ptr<net::PageFetch> fetch_;
  std::unique_ptr<net::PageFetch> media_[2];
  std::optional<manifests::StreamTrack> tracks_[2];
  std::string addresses_[2];
  std::size_t awaited_ = 0;
  std::uint64_t bitsPerSecond_ = 0;
  std::string audioLanguage_;
  bool separateAudio_ = false;
};

} // namespace vidtrawl::media
