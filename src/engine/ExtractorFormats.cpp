#include "engine/ExtractorFormats.h"

#include "extractor/FormatChoice.h"

namespace vidtrawl::engine {
namespace {

FormatList ListOf(const extractor::ExtractorSettings &settings, extractor::ExtractorAnswer answer,
                  const manifests::Quality &quality) {
  const extractor::VideoInfo &video =
      answer.playlist && !answer.entries.empty() ? answer.entries.front() : answer.video;
  FormatList list{video.title, {}, std::nullopt};
  const std::optional<extractor::FormatChoice> choice = extractor::ChooseFormats(video, quality);
  const auto same = [](const extractor::Format &a, const extractor::Format &b) {
    return a.id == b.id && a.address == b.address;
  };
  for (const extractor::Format &format : video.formats)
    list.formats.push_back({.id = format.id,
                            .protocol = format.protocol,
                            .extension = format.ext,
                            .width = format.width,
                            .height = format.height,
                            .bitsPerSecond = static_cast<std::uint64_t>(format.kbps * 1000),
                            .size = format.size,
                            .audioOnly = !format.video && format.audio,
                            .address = format.address.empty() && !format.fragments.empty()
                                           ? format.fragments.front().address
                                           : format.address,
                            .chosen = choice && (same(format, choice->video) ||
                                                 (choice->audio && same(format, *choice->audio)))});
  if (list.formats.empty())
    list.fault = base::Fault{base::FaultKind::Extractor, settings.Name() + " found no video"};
  return list;
}

} // namespace

ExtractorFormats::ExtractorFormats(net::Session &session,
                                   const extractor::ExtractorSettings &settings,
                                   const std::string &address, manifests::Quality quality,
                                   std::string why, base::Trace trace, Done done) {
  query_ = std::make_unique<extractor::ExtractorQuery>(
      session.Loop(), settings, session.Client(), nullptr, address, trace,
      [settings, quality, why = std::move(why),
       done = std::move(done)](base::Outcome<extractor::ExtractorAnswer> outcome) {
        FormatList list;
        if (outcome.Failed()) {
          list.fault = outcome.Failure();
          if (!why.empty())
            list.fault->detail = why + "; " + list.fault->detail;
        } else {
          list = ListOf(settings, std::move(outcome.Value()), quality);
        }
        done(std::move(list)); // last: the owner may destroy this
      });
}

} // namespace vidtrawl::engine
