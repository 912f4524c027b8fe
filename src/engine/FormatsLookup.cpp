#include "engine/FormatsLookup.h"

#include "base/AsciiCase.h"
#include "extractor/WhenAsked.h"
#include "manifests/DashManifest.h"
#include "manifests/HlsMasterPlaylist.h"
#include "pagesearch/VideoFiles.h"

#include <algorithm>

namespace vidtrawl::engine {
namespace {

using pagesearch::VideoProtocol;

// "hls-720p" by its height, else "hls-2400k" by its bandwidth, else "hls-3" by its place; a name
// taken already gets "-2", "-3"...
std::string IdOf(const std::vector<Format> &taken, const Format &format) {
  const std::string stem =
      format.protocol + (format.audioOnly ? "-audio" : "") + "-" +
      (format.height > 0          ? std::to_string(format.height) + "p"
       : format.bitsPerSecond > 0 ? std::to_string(format.bitsPerSecond / 1000) + "k"
                                  : std::to_string(taken.size() + 1));
  std::string id = stem;
  for (int n = 2;
       std::any_of(taken.begin(), taken.end(), [&](const Format &other) { return other.id == id; });
       ++n)
    id = stem + "-" + std::to_string(n);
  return id;
}

void Add(std::vector<Format> &formats, Format format) {
  format.id = IdOf(formats, format);
  formats.push_back(std::move(format));
}

std::string ExtensionOf(std::string_view address) {
  std::string extension = base::LowerAscii(pagesearch::FileExtension(address));
  return extension.empty() ? extension : extension.substr(1);
}

} // namespace

FormatsLookup::FormatsLookup(net::Session &session, const sites::Site *site,
                             const std::string &address,
                             const extractor::ExtractorSettings &extractor,
                             manifests::Quality quality, net::Requester requester, Done done)
    : session_(session), site_(site), address_(address), extractor_(extractor), quality_(quality),
      requester_(std::move(requester)), done_(std::move(done)) {
  if (const std::string why = extractor::WhyAsked(extractor_, site_, address_, nullptr);
      !why.empty()) {
    AskExtractor(why, false);
    return;
  }
  lookup_ = std::make_unique<sites::VideoLookup>(
      session_, site, address, nullptr,
      [this](base::Outcome<pagesearch::ResolvedVideo> outcome) { Resolved(std::move(outcome)); },
      requester_);
}

void FormatsLookup::AskExtractor(const std::string &why, bool after) {
  requester_.trace(base::TraceTopic::Page, why + ": the site extractor decides");
  extracted_ = std::make_unique<ExtractorFormats>(session_, extractor_, address_, quality_,
                                                  after ? why : std::string(), requester_.trace,
                                                  [this](FormatList list) {
                                                    list_ = std::move(list);
                                                    Finish(list_.fault);
                                                  });
}

void FormatsLookup::Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome) {
  if (outcome.Failed()) {
    if (const std::string why =
            extractor::WhyAsked(extractor_, site_, address_, &outcome.Failure());
        !why.empty())
      AskExtractor(why, true);
    else
      Finish(outcome.Failure());
    return;
  }
  const pagesearch::ResolvedVideo &video = outcome.Value();
  list_.title = video.title;
  protocol_ = video.protocol;
  if (protocol_ != VideoProtocol::File) {
    playlist_ = std::make_unique<net::PageFetch>(
        session_, video.address, nullptr,
        [this](base::Outcome<net::Page> page) {
          if (page.Failed())
            Finish(page.Failure());
          else
            ReadPlaylist(page.Value());
        },
        net::kMaxPageBytes, requester_);
    return;
  }
  const std::string chosen = pagesearch::AtQuality(video, quality_).address;
  std::vector<pagesearch::VideoFile> files = video.files;
  if (files.empty())
    files.push_back({video.address, 0});
  for (const pagesearch::VideoFile &file : files)
    Add(list_.formats, {.protocol = "file",
                        .extension = ExtensionOf(file.address),
                        .height = static_cast<int>(file.height),
                        .address = file.address,
                        .chosen = file.address == chosen});
  // Each file is asked for its size and type, all at once.
  awaited_ = list_.formats.size();
  for (std::size_t index = 0; index < list_.formats.size(); ++index)
    asks_.push_back(std::make_unique<net::FileInfoRequest>(
        session_, list_.formats[index].address,
        [this, index](base::Outcome<net::RemoteFile> answer) { Asked(index, std::move(answer)); },
        requester_));
}

void FormatsLookup::Asked(std::size_t index, base::Outcome<net::RemoteFile> answer) {
  Format &format = list_.formats[index];
  if (answer.Done() && answer.Value().exists) {
    format.size = answer.Value().size;
    // A file of no extension is named by its type ("video/webm").
    const std::string type = base::LowerAscii(answer.Value().type);
    if (format.extension.empty() &&
        base::StartsWithIgnoringCase(answer.Value().contentType, "video/"))
      format.extension = type.substr(0, type.find_first_of("; "));
  }
  if (--awaited_ == 0)
    Finish();
}

void FormatsLookup::ReadPlaylist(const net::Page &playlist) {
  const std::string &base = playlist.address;
  std::vector<Format> &formats = list_.formats;
  if (protocol_ == VideoProtocol::Dash) {
    base::Outcome<manifests::DashManifest> manifest =
        manifests::ParseDashManifest(playlist.text, base);
    if (manifest.Failed()) {
      Finish(manifest.Failure());
      return;
    }
    // The video of the quality, and the audio the download joins to it.
    const manifests::Quality audioQuality =
        quality_.rule == manifests::Quality::Rule::Worst ? quality_ : manifests::Quality{};
    for (const bool audio : {false, true}) {
      const auto &representations = audio ? manifest.Value().audio : manifest.Value().video;
      std::vector<manifests::StreamCandidate> candidates;
      for (const manifests::DashRepresentation &r : representations)
        candidates.push_back({r.width, r.height, r.bandwidth});
      const std::size_t chosen =
          candidates.empty() ? 0 : ChooseStream(candidates, audio ? audioQuality : quality_);
      for (std::size_t i = 0; i < representations.size(); ++i)
        Add(formats, {.protocol = "dash",
                      .extension = audio ? "m4a" : "mp4",
                      .width = representations[i].width,
                      .height = representations[i].height,
                      .bitsPerSecond = representations[i].bandwidth,
                      .codecs = representations[i].codecs,
                      .audioOnly = audio,
                      .address = base,
                      .chosen = i == chosen});
    }
    Finish();
    return;
  }
  if (!manifests::IsHlsMasterPlaylist(playlist.text)) { // a media playlist: one quality
    Add(formats, {.protocol = "hls", .extension = "mp4", .address = base, .chosen = true});
    Finish();
    return;
  }
  base::Outcome<manifests::HlsMasterPlaylist> master =
      manifests::ParseHlsMasterPlaylist(playlist.text, base);
  if (master.Failed()) {
    Finish(master.Failure());
    return;
  }
  const manifests::HlsChoice choice = manifests::ChooseHlsVariant(master.Value(), quality_);
  bool marked = false;
  for (const manifests::HlsVariant &variant : master.Value().variants) {
    const bool chosen = !marked && variant.address == choice.videoPlaylist;
    marked = marked || chosen;
    Add(formats, {.protocol = "hls",
                  .extension = "mp4",
                  .width = variant.width,
                  .height = variant.height,
                  .bitsPerSecond = variant.bandwidth,
                  .codecs = variant.codecs,
                  .address = variant.address,
                  .chosen = chosen});
  }
  for (const manifests::HlsAudioRendition &audio : master.Value().audio)
    if (!audio.address.empty())
      Add(formats, {.protocol = "hls",
                    .extension = "m4a",
                    .audioOnly = true,
                    .address = audio.address,
                    .chosen = choice.audioPlaylist == audio.address});
  Finish();
}

void FormatsLookup::Finish(std::optional<base::Fault> fault) {
  list_.fault = std::move(fault);
  Done done = std::move(done_);
  done(std::move(list_)); // last: the owner may destroy this lookup
}

} // namespace vidtrawl::engine
