#pragma once

#include "extractor/FormatChoice.h"
#include "media/StreamPlanLookup.h"
#include "net/Requester.h"
#include "net/Session.h"

#include <memory>
#include <optional>

namespace vidtrawl::extractor {

// The fragments of the formats chosen: a file's format is one fragment, a fragmented format's
// are listed, an HLS format's come from its playlist (looked up at the quality asked, both
// tracks' at once). The video's and the audio's tracks are then joined by the remuxer.
class FormatPlan final : public media::PlanLookup {
public:
  FormatPlan(net::Session &session, const FormatChoice &choice, manifests::Quality quality,
             net::Requester requester, Done done);

private:
  void Track(std::size_t index, const Format &format);
  void Settled();

  net::Session &session_;
  manifests::Quality quality_;
  net::Requester requester_;
  Done done_;
  std::size_t awaited_ = 0;
  bool finished_ = false;
  std::optional<manifests::StreamTrack> tracks_[2];
  std::optional<manifests::StreamTrack> ownAudio_; // an HLS video's own separate audio
  std::unique_ptr<media::StreamPlanLookup> lookups_[2];
  host::Timer soon_;
};

// Starts the plan of `choice` (copied) for a stream's download.
media::PlanStart PlanOf(net::Session &session, const FormatChoice &choice,
                        manifests::Quality quality, net::Requester requester);

} // namespace vidtrawl::extractor
