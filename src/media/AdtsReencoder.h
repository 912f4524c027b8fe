#pragma once

#include "base/Outcome.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace vidtrawl::media {

// What an AAC frame in ADTS (as transport streams carry it) says of the audio it is part of:
// what a track of a file is made for from its first frame, and cannot change.
struct AdtsShape {
  int profile = 0;     // the object type less one: 1 for AAC LC
  int rateIndex = 0;   // into the table of sampling rates
  int channelCode = 0; // the channel configuration; 0: the frame describes its own
  int Rate() const;    // in hertz; 0 for an index of no rate
  friend bool operator==(const AdtsShape &, const AdtsShape &) = default;
};

// The shape of an ADTS frame; nothing for bytes that are none.
std::optional<AdtsShape> ReadAdtsShape(const std::uint8_t *data, std::size_t size);

// A piece of a track's audio that the track cannot carry (a splice of 44.1 kHz audio into a
// 48 kHz track: copied, it would play 9 % fast), made into frames it can: decoded, resampled to
// the track's rate and channels (libswresample) and encoded again as AAC LC in ADTS frames of
// the track's shape. Only that piece is re-encoded; its timestamps are the piece's, the
// encoder's priming left out. Packets go in and come out in the output stream's time base.
class AdtsReencoder {
public:
  // A re-encoder to `shape`; a fault (kind Remux) for a shape no AAC LC encoder makes (HE-AAC,
  // channels the frames describe themselves) or libraries that fail.
  static base::Outcome<std::unique_ptr<AdtsReencoder>> Open(const AdtsShape &shape,
                                                            AVRational timeBase);
  ~AdtsReencoder();
  AdtsReencoder(const AdtsReencoder &) = delete;
  AdtsReencoder &operator=(const AdtsReencoder &) = delete;

  // Takes a packet of the piece (nothing: the piece ended) and gives the packets made so far.
  base::Outcome<std::vector<AVPacket *>> Convert(const AVPacket *packet);

private:
  struct Codecs;
  explicit AdtsReencoder(std::unique_ptr<Codecs> codecs);
  std::optional<base::Fault> Resample(const AVFrame *frame);
  std::optional<base::Fault> Encode(bool last, std::vector<AVPacket *> &out);

  std::unique_ptr<Codecs> codecs_;
};

} // namespace vidtrawl::media
