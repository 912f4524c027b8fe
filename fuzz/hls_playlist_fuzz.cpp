// HLS playlists of any bytes, read as a master playlist (and a variant chosen by each rule) and
// as a media playlist. Whatever they give can be fetched.
#include "FuzzCheck.h"
#include "StreamChecks.h"
#include "manifests/HlsMasterPlaylist.h"
#include "manifests/HlsMediaPlaylist.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vidtrawl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  constexpr std::string_view kAddress = "http://cdn.example.net/live/show/master.m3u8?token=1";
  const base::Outcome<manifests::HlsMasterPlaylist> master =
      manifests::ParseHlsMasterPlaylist(text, kAddress);
  if (master.Done()) {
    FUZZ_CHECK(!master.Value().variants.empty());
    for (const manifests::Quality &quality :
         {manifests::Quality{}, manifests::Quality{manifests::Quality::Rule::Worst, 0},
          manifests::Quality{manifests::Quality::Rule::AtMost, 480}}) {
      const manifests::HlsChoice choice = manifests::ChooseHlsVariant(master.Value(), quality);
      FUZZ_CHECK(net::ParseWebAddress(choice.videoPlaylist).has_value());
      if (choice.audioPlaylist)
        FUZZ_CHECK(net::ParseWebAddress(*choice.audioPlaylist).has_value());
    }
  }
  const base::Outcome<manifests::StreamTrack> media =
      manifests::ParseHlsMediaPlaylist(text, kAddress);
  FUZZ_CHECK(media.Done() || !media.Failure().detail.empty());
  if (media.Done()) {
    CheckTrack(media.Value());
    const manifests::StreamPlan plan = manifests::MakeStreamPlan(media.Value(), media.Value());
    FUZZ_CHECK(plan.audio.has_value());
  }
  return 0;
}
