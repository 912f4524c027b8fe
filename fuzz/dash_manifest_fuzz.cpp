// DASH manifests of any bytes: whatever representations they give can be fetched, their
// segments no more than the reader allows, and each rule of choice makes a plan of them (or
// names the DRM that protects all there is).
#include "FuzzCheck.h"
#include "StreamChecks.h"
#include "manifests/DashManifest.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vidtrawl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  const base::Outcome<manifests::DashManifest> manifest =
      manifests::ParseDashManifest(text, "https://media.example.org/v/1/manifest.mpd");
  if (manifest.Failed()) {
    FUZZ_CHECK(!manifest.Failure().detail.empty());
    return 0;
  }
  std::size_t segments = 0;
  for (const auto *set : {&manifest.Value().video, &manifest.Value().audio})
    for (const manifests::DashRepresentation &representation : *set) {
      CheckTrack(representation.track);
      segments += representation.track.fragments.size();
    }
  FUZZ_CHECK(segments > 0 && segments <= 200'000);
  for (const manifests::Quality &quality :
       {manifests::Quality{}, manifests::Quality{manifests::Quality::Rule::Worst, 0},
        manifests::Quality{manifests::Quality::Rule::AtMost, 720}}) {
    for (const char *language : {"", "en", "de-AT"}) {
      const base::Outcome<manifests::StreamPlan> plan =
          manifests::ChooseDashStreams(manifest.Value(), quality, language);
      if (plan.Failed()) { // only a manifest whose every set of a kind is protected
        FUZZ_CHECK(plan.Failure().detail.starts_with("the stream is protected by DRM"));
        continue;
      }
      CheckTrack(plan.Value().video);
      if (plan.Value().audio)
        CheckTrack(*plan.Value().audio);
    }
  }
  return 0;
}
