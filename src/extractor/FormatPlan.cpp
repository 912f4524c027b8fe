#include "extractor/FormatPlan.h"

namespace vidtrawl::extractor {

FormatPlan::FormatPlan(net::Session &session, const FormatChoice &choice,
                       manifests::Quality quality, net::Requester requester, Done done)
    : session_(session), quality_(quality), requester_(std::move(requester)),
      done_(std::move(done)), soon_(session.Loop()) {
  awaited_ = choice.audio ? 2 : 1;
  Track(0, choice.video);
  if (choice.audio)
    Track(1, *choice.audio);
}

void FormatPlan::Track(std::size_t index, const Format &format) {
  switch (TransportOf(format)) {
  case FormatTransport::File:
    tracks_[index] = manifests::StreamTrack{};
    tracks_[index]->fragments.push_back({format.address, std::nullopt, std::nullopt, false, 0});
    break;
  case FormatTransport::Fragments:
    tracks_[index] = manifests::StreamTrack{};
    for (const FormatFragment &fragment : format.fragments) {
      tracks_[index]->fragments.push_back(
          {fragment.address, std::nullopt, std::nullopt, false, fragment.seconds});
      tracks_[index]->seconds += fragment.seconds;
    }
    break;
  case FormatTransport::Hls:
    lookups_[index] = std::make_unique<media::StreamPlanLookup>(
        session_, format.address, pagesearch::VideoProtocol::Hls, quality_, std::string(),
        requester_, [this, index](base::Outcome<manifests::StreamPlan> plan) {
          if (plan.Failed()) {
            finished_ = true;
            Done done = std::move(done_);
            done(plan.Failure()); // last: the owner may destroy this lookup
            return;
          }
          tracks_[index] = std::move(plan.Value().video);
          if (index == 0)
            ownAudio_ = std::move(plan.Value().audio);
          --awaited_;
          Settled();
        });
    return;
  case FormatTransport::None:
    break; // never chosen
  }
  --awaited_;
  // Told on the loop, never from inside the constructor.
  soon_.Start(std::chrono::milliseconds(0), [this] { Settled(); });
}

void FormatPlan::Settled() {
  if (awaited_ > 0 || finished_)
    return;
  finished_ = true;
  std::optional<manifests::StreamTrack> audio = tracks_[1] ? std::move(tracks_[1]) : ownAudio_;
  manifests::StreamPlan plan = manifests::MakeStreamPlan(std::move(*tracks_[0]), std::move(audio));
  Done done = std::move(done_);
  done(std::move(plan)); // last: the owner may destroy this lookup
}

media::PlanStart PlanOf(net::Session &session, const FormatChoice &choice,
                        manifests::Quality quality, net::Requester requester) {
  return [&session, choice, quality,
          requester](media::PlanLookup::Done done) -> std::unique_ptr<media::PlanLookup> {
    return std::make_unique<FormatPlan>(session, choice, quality, requester, std::move(done));
  };
}

} // namespace vidtrawl::extractor
