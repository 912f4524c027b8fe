#include "media/StreamPlanLookup.h"

#include "manifests/DashManifest.h"
#include "manifests/HlsMasterPlaylist.h"
#include "manifests/HlsMediaPlaylist.h"
#include "manifests/StreamFault.h"
#include "pagesearch/AnswerMedia.h"

namespace vidtrawl::media {
using pagesearch::VideoProtocol;

StreamPlanLookup::StreamPlanLookup(net::Session &session, std::string address,
                                   VideoProtocol protocol, manifests::Quality quality,
                                   std::string language, net::Requester requester, Done done)
    : session_(session), address_(std::move(address)), protocol_(protocol), quality_(quality),
      language_(std::move(language)), requester_(std::move(requester)), done_(std::move(done)) {
  fetch_ = std::make_unique<net::PageFetch>(
      session_, address_, nullptr,
      [this](base::Outcome<net::Page> page) {
        if (page.Failed())
          Finish(page.Failure());
        else
          Read(page.Value());
      },
      net::kMaxPageBytes, requester_);
}

void StreamPlanLookup::Read(const net::Page &playlist) {
  // The addresses in it are relative to where it came from after its redirections.
  const std::string &base = playlist.address.empty() ? address_ : playlist.address;
  if (protocol_ == VideoProtocol::Dash) {
    base::Outcome<manifests::DashManifest> manifest =
        manifests::ParseDashManifest(playlist.text, base);
    if (manifest.Failed())
      Finish(manifest.Failure());
    else
      Finish(manifests::ChooseDashStreams(manifest.Value(), quality_, language_));
    return;
  }
  if (manifests::IsHlsMasterPlaylist(playlist.text)) {
    ReadMaster(playlist);
    return;
  }
  base::Outcome<manifests::StreamTrack> track =
      manifests::ParseHlsMediaPlaylist(playlist.text, base);
  if (track.Failed())
    Finish(track.Failure());
  else
    Finish(manifests::MakeStreamPlan(std::move(track.Value()), std::nullopt));
}

void StreamPlanLookup::ReadMaster(const net::Page &playlist) {
  const std::string &base = playlist.address.empty() ? address_ : playlist.address;
  base::Outcome<manifests::HlsMasterPlaylist> master =
      manifests::ParseHlsMasterPlaylist(playlist.text, base);
  if (master.Failed()) {
    Finish(master.Failure());
    return;
  }
  const manifests::HlsChoice choice = manifests::ChooseHlsVariant(master.Value(), quality_);
  bitsPerSecond_ = choice.bitsPerSecond;
  audioLanguage_ = choice.audioLanguage;
  separateAudio_ = choice.audioPlaylist.has_value();
  const std::string *playlists[2] = {&choice.videoPlaylist,
                                     separateAudio_ ? &*choice.audioPlaylist : nullptr};
  for (std::size_t index = 0; index < 2; ++index) {
    if (playlists[index] == nullptr)
      continue;
    ++awaited_;
    addresses_[index] = *playlists[index];
    media_[index] = std::make_unique<net::PageFetch>(
        session_, *playlists[index], nullptr,
        [this, index](base::Outcome<net::Page> page) { MediaPlaylist(index, std::move(page)); },
        net::kMaxPageBytes, requester_);
  }
}

void StreamPlanLookup::MediaPlaylist(std::size_t index, base::Outcome<net::Page> page) {
  if (page.Failed()) {
    base::Fault fault = page.Failure();
    fault.detail += std::string(index == 0 ? " (variant playlist " : " (audio playlist ") +
                    addresses_[index].substr(0, 200) + ")";
    Finish(std::move(fault));
    return;
  }
  base::Outcome<manifests::StreamTrack> track =
      manifests::ParseHlsMediaPlaylist(page.Value().text, page.Value().address);
  if (track.Failed()) {
    Finish(track.Failure());
    return;
  }
  tracks_[index] = std::move(track.Value());
  if (--awaited_ > 0)
    return;
  // The variant's rate is its audio's too: the video's estimate is the larger for it until
  // fragments tell their own.
  tracks_[0]->bitsPerSecond = bitsPerSecond_;
  tracks_[separateAudio_ ? 1 : 0]->language = audioLanguage_;
  Finish(manifests::MakeStreamPlan(std::move(*tracks_[0]),
                                   separateAudio_ ? std::move(tracks_[1]) : std::nullopt));
}

void StreamPlanLookup::Finish(base::Outcome<manifests::StreamPlan> outcome) {
  if (!done_)
    return; // one media playlist failed already
  Done done = std::move(done_);
  done_ = nullptr;
  done(std::move(outcome)); // last: the owner may destroy this lookup
}

} // namespace vidtrawl::media
