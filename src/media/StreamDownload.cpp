#include "media/StreamDownload.h"

#include "media/UserLanguage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace vidtrawl::media {
namespace {

// Packets copied at each turn of the loop: a few milliseconds' work.
constexpr std::size_t kPacketsPerTurn = 256;

// What tells one plan of fragments from another, the same in every run of the program: a
// store's fragments are of the plan whose identity it notes (FNV-1a over every fragment's
// address, range and key).
std::string IdentityOf(const manifests::StreamPlan &plan) {
  std::uint64_t hash = 14695981039346656037ull;
  const auto add = [&](std::string_view text) {
    for (const char c : text) {
      hash ^= static_cast<unsigned char>(c);
      hash *= 1099511628211ull;
    }
    hash ^= 0xff; // a separator no text has
    hash *= 1099511628211ull;
  };
  const auto addTrack = [&](std::string_view name, const manifests::StreamTrack &track) {
    add(name);
    const auto addFragment = [&](const manifests::StreamFragment &fragment) {
      add(fragment.address);
      if (fragment.range)
        add(std::to_string(fragment.range->offset) + "+" + std::to_string(fragment.range->length));
      if (fragment.key)
        add(fragment.key->address);
    };
    if (track.init)
      addFragment(*track.init);
    for (const manifests::StreamFragment &fragment : track.fragments)
      addFragment(fragment);
  };
  addTrack("video", plan.video);
  if (plan.audio)
    addTrack("audio", *plan.audio);
  char text[32];
  std::snprintf(text, sizeof text, "stream %016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::size_t PartsOf(const manifests::StreamTrack &track) {
  return track.fragments.size() + (track.init ? 1 : 0);
}

} // namespace

PlanStart PlanOfPlaylist(net::Session &session, const std::string &address,
                         pagesearch::VideoProtocol protocol, const StreamOptions &options,
                         const net::Requester &requester) {
  return [&session, address, protocol, options,
          requester](PlanLookup::Done done) -> std::unique_ptr<PlanLookup> {
    return std::make_unique<StreamPlanLookup>(
        session, address, protocol, options.quality,
        options.language.empty() ? UserLanguage() : options.language, requester, std::move(done));
  };
}

StreamDownload::StreamDownload(net::Session &session, std::string address,
                               pagesearch::VideoProtocol protocol, net::PartialFile &output,
                               StreamOptions options, net::Requester requester,
                               ProgressSink progress, Done done)
    : StreamDownload(session, address,
                     PlanOfPlaylist(session, address, protocol, options, requester), output,
                     options, requester, std::move(progress), std::move(done)) {}

StreamDownload::StreamDownload(net::Session &session, std::string source, PlanStart plan,
                               net::PartialFile &output, StreamOptions options,
                               net::Requester requester, ProgressSink progress, Done done)
    : session_(session), address_(std::move(source)), output_(output), options_(options),
      requester_(std::move(requester)), progress_(std::move(progress)), done_(std::move(done)),
      step_(session.Loop()) {
  lookup_ = plan([this](base::Outcome<manifests::StreamPlan> planned) {
    if (planned.Failed())
      Finish(planned.Failure());
    else
      Planned(std::move(planned.Value()));
  });
}

StreamDownload::~StreamDownload() = default;

void StreamDownload::Planned(manifests::StreamPlan plan) {
  plan_ = std::move(plan);
  // The store is named after the slot the item's partial file holds, whatever name the file
  // will have.
  const std::string &part = output_.Path();
  const std::string slot = part.substr(0, part.size() - std::strlen(net::PartialFile::kSuffix));
  base::Outcome<FragmentStore> store =
      FragmentStore::Open(slot, address_, IdentityOf(plan_),
                          {PartsOf(plan_.video), plan_.audio ? PartsOf(*plan_.audio) : 0});
  if (store.Failed()) {
    Finish(store.Failure());
    return;
  }
  store_.emplace(std::move(store.Value()));
  fetcher_ = std::make_unique<FragmentFetcher>(
      session_, *store_, plan_, options_.fragmentsAtOnce, requester_,
      [this](const FragmentFetcher::Progress &progress) { Report(progress); },
      [this](std::optional<base::Fault> fault) { Fetched(std::move(fault)); });
}

void StreamDownload::Report(const FragmentFetcher::Progress &progress) {
  shown_.bytes = progress.bytes;
  shown_.stored = progress.stored;
  shown_.parts = progress.parts;
  shown_.exact = progress.exact;
  shown_.estimate = progress.total;
  // While a fragment remains, so do bytes: never "all in" before they are. Before any size is
  // known there is no estimate at all.
  if (progress.stored == progress.parts)
    shown_.estimate = shown_.bytes;
  else if (shown_.estimate > 0)
    shown_.estimate = std::max(shown_.estimate, shown_.bytes + 1);
  if (progress_)
    progress_(shown_);
}

void StreamDownload::Fetched(std::optional<base::Fault> fault) {
  if (fault) {
    Finish(std::move(*fault));
    return;
  }
  fetcher_.reset();
  Join();
}

void StreamDownload::Join() {
  // The tracks are read from the store's file once it holds every byte and note handed in.
  if (store_->Writing()) {
    step_.Start(net::WriteBehind::kCatchUp, [this] { Join(); });
    return;
  }
  if (std::optional<base::Fault> fault = store_->WriteFault()) {
    Finish(std::move(*fault));
    return;
  }
  std::optional<TrackSource> audio;
  if (plan_.audio) {
    audio = store_->Source(FragmentStore::Track::Audio, PartsOf(*plan_.audio));
    audio->language = plan_.audio->language;
  }
  TrackSource video = store_->Source(FragmentStore::Track::Video, PartsOf(plan_.video));
  video.language = plan_.video.language;
  base::Outcome<std::unique_ptr<Remuxer>> remuxer = Remuxer::Open(video, audio, output_.Path());
  if (remuxer.Failed()) {
    Finish(remuxer.Failure());
    return;
  }
  remuxer_ = std::move(remuxer.Value());
  step_.Start(std::chrono::milliseconds(0), [this] { Step(); });
}

void StreamDownload::Step() {
  const base::Outcome<bool> step = remuxer_->Step(kPacketsPerTurn);
  if (step.Failed()) {
    Finish(step.Failure());
    return;
  }
  if (!step.Value()) {
    step_.Start(std::chrono::milliseconds(0), [this] { Step(); });
    return;
  }
  std::error_code ec;
  const std::uintmax_t bytes = std::filesystem::file_size(output_.Path(), ec);
  Finish(JoinedStream{ec ? 0 : static_cast<std::uint64_t>(bytes), remuxer_->Output()});
}

void StreamDownload::Completed() {
  if (store_)
    store_->Discard();
}

void StreamDownload::Finish(base::Outcome<JoinedStream> outcome) {
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this download
}

} // namespace vidtrawl::media
