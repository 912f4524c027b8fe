#include "media/AudioSplices.h"

#include <string>

namespace vidtrawl::media {
namespace {

// Frames of other audio decoded after a splice and compared with the track's.
constexpr int kComparedFrames = 4;

base::Fault Refused(int from, int to, int fromChannels, int toChannels) {
  const auto said = [](int rate, int channels) {
    return std::to_string(rate) + " Hz in " + std::to_string(channels) + " channels";
  };
  return {base::FaultKind::Remux, "the audio changes at a splice from " + said(from, fromChannels) +
                                      " to " + said(to, toChannels) + ", which cannot be joined"};
}

} // namespace

AudioSplices::AudioSplices(const AVCodecParameters &in, AVRational timeBase)
    : in_(avcodec_parameters_alloc()), timeBase_(timeBase) {
  if (in_ != nullptr && avcodec_parameters_copy(in_, &in) < 0)
    avcodec_parameters_free(&in_);
}

AudioSplices::~AudioSplices() {
  avcodec_free_context(&probe_);
  avcodec_parameters_free(&in_);
}

base::Outcome<bool> AudioSplices::Take(const AVPacket &packet, int splices,
                                       std::vector<AVPacket *> &made) {
  if (in_ == nullptr)
    return base::Fault{base::FaultKind::Remux, "no memory for the audio's parameters"};
  const std::optional<AdtsShape> shape =
      in_->codec_id == AV_CODEC_ID_AAC
          ? ReadAdtsShape(packet.data, static_cast<std::size_t>(packet.size))
          : std::nullopt;
  if (shape && !shape_)
    shape_ = shape;
  if (shape && *shape != *shape_) {
    if (!reencoder_) {
      base::Outcome<std::unique_ptr<AdtsReencoder>> opened =
          AdtsReencoder::Open(*shape_, timeBase_);
      if (opened.Failed())
        return opened.Failure();
      reencoder_ = std::move(opened.Value());
    }
    base::Outcome<std::vector<AVPacket *>> converted = reencoder_->Convert(&packet);
    if (converted.Failed())
      return converted.Failure();
    made = std::move(converted.Value());
    return false;
  }
  if (reencoder_) { // the piece that did not fit ended: what it holds goes first
    base::Outcome<std::vector<AVPacket *>> rest = Finish();
    if (rest.Failed())
      return rest.Failure();
    made = std::move(rest.Value());
  }
  if (!shape && splices > checked_)
    if (std::optional<base::Fault> fault = Compare(packet, splices))
      return *fault;
  if (!made.empty()) { // the packet goes after them
    AVPacket *copy = av_packet_clone(&packet);
    if (copy == nullptr)
      return base::Fault{base::FaultKind::Remux, "no memory for a packet"};
    made.push_back(copy);
    return false;
  }
  return true;
}

base::Outcome<std::vector<AVPacket *>> AudioSplices::Finish() {
  if (!reencoder_)
    return std::vector<AVPacket *>{};
  base::Outcome<std::vector<AVPacket *>> rest = reencoder_->Convert(nullptr);
  reencoder_.reset();
  return rest;
}

std::optional<base::Fault> AudioSplices::Compare(const AVPacket &packet, int splices) {
  const AVCodec *codec = avcodec_find_decoder(in_->codec_id);
  if (probe_ == nullptr && codec != nullptr) {
    probe_ = avcodec_alloc_context3(codec);
    if (probe_ == nullptr || avcodec_parameters_to_context(probe_, in_) < 0 ||
        avcodec_open2(probe_, codec, nullptr) < 0)
      avcodec_free_context(&probe_);
  }
  if (probe_ == nullptr)
    return std::nullopt; // nothing decodes it: it is copied as before
  AVFrame *frame = av_frame_alloc();
  std::optional<base::Fault> fault;
  // A frame that does not come yet comes with a later packet of the piece.
  // The demuxer may still give frames of the piece before: a few are compared.
  if (frame != nullptr && avcodec_send_packet(probe_, &packet) >= 0 &&
      avcodec_receive_frame(probe_, frame) == 0) {
    if (++compared_ == kComparedFrames) {
      checked_ = splices;
      compared_ = 0;
    }
    if (frame->sample_rate != in_->sample_rate ||
        frame->ch_layout.nb_channels != in_->ch_layout.nb_channels)
      fault = Refused(in_->sample_rate, frame->sample_rate, in_->ch_layout.nb_channels,
                      frame->ch_layout.nb_channels);
  }
  av_frame_free(&frame);
  return fault;
}

} // namespace vidtrawl::media
