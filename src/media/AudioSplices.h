#pragma once

#include "base/Outcome.h"
#include "media/AdtsReencoder.h"

#include <memory>
#include <optional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace vidtrawl::media {

// Keeps an audio track of the joined file playing at the right speed across the splices of its
// input: a piece whose audio the track cannot carry (another rate, other channels, another kind
// of AAC) is re-encoded to the track's (AdtsReencoder) where its frames are AAC in ADTS, the
// transport streams' kind; a piece of other audio that changes is refused with its reason, never
// joined to play too fast or too slow. AAC frames tell their shape in each header; other audio's
// first frames after each splice are decoded and compared with the track's.
class AudioSplices {
public:
  // For the input stream `in`, written in `timeBase`.
  AudioSplices(const AVCodecParameters &in, AVRational timeBase);
  ~AudioSplices();
  AudioSplices(const AudioSplices &) = delete;
  AudioSplices &operator=(const AudioSplices &) = delete;

  // Takes a packet of the track (its times in the output's time base) of the piece that began
  // after `splices` splices. True: it is written as it is; false: `made` holds what is written
  // in its stead (the caller frees them). A fault (kind Remux) for audio that cannot be joined.
  base::Outcome<bool> Take(const AVPacket &packet, int splices, std::vector<AVPacket *> &made);
  // The input ended: what a re-encoded piece still holds.
  base::Outcome<std::vector<AVPacket *>> Finish();

private:
  std::optional<base::Fault> Compare(const AVPacket &packet, int splices);

  AVCodecParameters *in_; // as the track began: the demuxer changes its own as it reads
  AVRational timeBase_;
  std::optional<AdtsShape> shape_; // the track's, from its first AAC frame
  std::unique_ptr<AdtsReencoder> reencoder_;
  AVCodecContext *probe_ = nullptr; // decodes other audio's first frame after a splice
  int checked_ = 0;                 // the splices whose audio was found to fit
  int compared_ = 0;                // frames compared since the last of them
};

} // namespace vidtrawl::media
