#include "media/AdtsReencoder.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <array>
#include <string>

namespace vidtrawl::media {
namespace {

constexpr std::array kRates{96000, 88200, 64000, 48000, 44100, 32000, 24000,
                            22050, 16000, 12000, 11025, 8000,  7350};
constexpr std::size_t kHeaderSize = 7;
constexpr int kLowComplexity = 1; // profile: object type 2 less one

base::Fault Unconvertible(const std::string &why, int error = 0) {
  std::string what = "the audio changes at a splice and cannot be converted: " + why;
  if (error != 0) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(error, text.data(), text.size());
    what += std::string(" (") + text.data() + ")";
  }
  return base::Fault{base::FaultKind::Remux, std::move(what)};
}

int ChannelsOf(int code) {
  return code == 7 ? 8 : code;
}

// The fixed header of an ADTS frame of `shape` that holds `payload` bytes (no CRC).
std::array<std::uint8_t, kHeaderSize> Header(const AdtsShape &shape, std::size_t payload) {
  const std::size_t length = kHeaderSize + payload;
  return {
      0xFF,
      0xF1,
      static_cast<std::uint8_t>(shape.profile << 6 | shape.rateIndex << 2 | shape.channelCode >> 2),
      static_cast<std::uint8_t>((shape.channelCode & 3) << 6 | (length >> 11 & 3)),
      static_cast<std::uint8_t>(length >> 3 & 0xFF),
      static_cast<std::uint8_t>((length & 7) << 5 | 0x1F),
      0xFC};
}

} // namespace

int AdtsShape::Rate() const {
  return rateIndex >= 0 && static_cast<std::size_t>(rateIndex) < kRates.size() ? kRates[rateIndex]
                                                                               : 0;
}

std::optional<AdtsShape> ReadAdtsShape(const std::uint8_t *data, std::size_t size) {
  if (data == nullptr || size < kHeaderSize || data[0] != 0xFF || (data[1] & 0xF6) != 0xF0)
    return std::nullopt;
  return AdtsShape{data[2] >> 6, data[2] >> 2 & 0xF, (data[2] & 1) << 2 | data[3] >> 6};
}

struct AdtsReencoder::Codecs {
  AdtsShape shape;
  AVRational timeBase{}; // the output stream's
  AVCodecContext *decoder = nullptr;
  AVCodecContext *encoder = nullptr;
  SwrContext *resampler = nullptr;
  AVAudioFifo *fifo = nullptr;
  AVFrame *frame = nullptr;
  AVPacket *packet = nullptr;
  std::int64_t start = AV_NOPTS_VALUE; // the piece's first sample, in samples
  std::int64_t sent = 0;               // samples given to the encoder

  ~Codecs() {
    avcodec_free_context(&decoder);
    avcodec_free_context(&encoder);
    swr_free(&resampler);
    if (fifo != nullptr)
      av_audio_fifo_free(fifo);
    av_frame_free(&frame);
    av_packet_free(&packet);
  }
};

base::Outcome<std::unique_ptr<AdtsReencoder>> AdtsReencoder::Open(const AdtsShape &shape,
                                                                  AVRational timeBase) {
  if (shape.profile != kLowComplexity || shape.channelCode == 0 || shape.Rate() == 0)
    return Unconvertible("no encoder makes frames of the stream's kind of AAC");
  auto codecs = std::make_unique<Codecs>();
  codecs->shape = shape;
  codecs->timeBase = timeBase;
  const AVCodec *decoder = avcodec_find_decoder(AV_CODEC_ID_AAC);
  const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (decoder == nullptr || encoder == nullptr)
    return Unconvertible("FFmpeg's libraries have no AAC codec");
  codecs->decoder = avcodec_alloc_context3(decoder);
  codecs->encoder = avcodec_alloc_context3(encoder);
  codecs->frame = av_frame_alloc();
  codecs->packet = av_packet_alloc();
  if (codecs->decoder == nullptr || codecs->encoder == nullptr || codecs->frame == nullptr ||
      codecs->packet == nullptr)
    return Unconvertible("no memory", AVERROR(ENOMEM));
  codecs->decoder->pkt_timebase = timeBase;
  AVCodecContext &out = *codecs->encoder;
  out.sample_rate = shape.Rate();
  out.time_base = {1, out.sample_rate};
  out.sample_fmt = AV_SAMPLE_FMT_FLTP;
  out.profile = FF_PROFILE_AAC_LOW;
  av_channel_layout_default(&out.ch_layout, ChannelsOf(shape.channelCode));
  out.bit_rate = 64000LL * ChannelsOf(shape.channelCode);
  int error = avcodec_open2(codecs->decoder, decoder, nullptr);
  if (error >= 0)
    error = avcodec_open2(&out, encoder, nullptr);
  if (error < 0)
    return Unconvertible("the AAC codecs cannot be opened", error);
  codecs->fifo = av_audio_fifo_alloc(out.sample_fmt, out.ch_layout.nb_channels, out.frame_size);
  if (codecs->fifo == nullptr)
    return Unconvertible("no memory", AVERROR(ENOMEM));
  return std::unique_ptr<AdtsReencoder>(new AdtsReencoder(std::move(codecs)));
}

AdtsReencoder::AdtsReencoder(std::unique_ptr<Codecs> codecs) : codecs_(std::move(codecs)) {}

AdtsReencoder::~AdtsReencoder() = default;

base::Outcome<std::vector<AVPacket *>> AdtsReencoder::Convert(const AVPacket *packet) {
  Codecs &c = *codecs_;
  std::vector<AVPacket *> out;
  const auto fail = [&](base::Fault fault) {
    for (AVPacket *made : out)
      av_packet_free(&made);
    return fault;
  };
  // A damaged frame is left out, as a player would; the rest of the piece goes on.
  const int sent = avcodec_send_packet(c.decoder, packet);
  if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR_EOF)
    return fail(Unconvertible("its audio cannot be decoded", sent));
  while (avcodec_receive_frame(c.decoder, c.frame) == 0) {
    if (c.start == AV_NOPTS_VALUE && c.frame->pts != AV_NOPTS_VALUE)
      c.start = av_rescale_q(c.frame->pts, c.timeBase, c.encoder->time_base);
    const std::optional<base::Fault> fault = Resample(c.frame);
    av_frame_unref(c.frame);
    if (fault)
      return fail(*fault);
  }
  if (packet == nullptr && c.resampler != nullptr)
    if (const std::optional<base::Fault> fault = Resample(nullptr))
      return fail(*fault);
  if (const std::optional<base::Fault> fault = Encode(packet == nullptr, out))
    return fail(*fault);
  return out;
}

std::optional<base::Fault> AdtsReencoder::Resample(const AVFrame *frame) {
  Codecs &c = *codecs_;
  const AVCodecContext &out = *c.encoder;
  if (frame != nullptr && c.resampler == nullptr) {
    // FFmpeg 5.1 takes the layouts without const; it only reads them.
    const int error = swr_alloc_set_opts2(
        &c.resampler, const_cast<AVChannelLayout *>(&out.ch_layout), out.sample_fmt,
        out.sample_rate, const_cast<AVChannelLayout *>(&frame->ch_layout),
        static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
    if (error < 0 || swr_init(c.resampler) < 0)
      return Unconvertible("its audio cannot be resampled", error);
  }
  const int room = swr_get_out_samples(c.resampler, frame != nullptr ? frame->nb_samples : 0);
  if (room <= 0)
    return std::nullopt;
  std::unique_ptr<AVFrame, void (*)(AVFrame *)> converted(av_frame_alloc(),
                                                          [](AVFrame *f) { av_frame_free(&f); });
  if (!converted)
    return Unconvertible("no memory", AVERROR(ENOMEM));
  converted->format = out.sample_fmt;
  converted->nb_samples = room;
  converted->sample_rate = out.sample_rate;
  if (av_channel_layout_copy(&converted->ch_layout, &out.ch_layout) < 0 ||
      av_frame_get_buffer(converted.get(), 0) < 0)
    return Unconvertible("no memory", AVERROR(ENOMEM));
  const int got = swr_convert(
      c.resampler, converted->data, room,
      frame != nullptr ? const_cast<const std::uint8_t **>(frame->extended_data) : nullptr,
      frame != nullptr ? frame->nb_samples : 0);
  if (got < 0)
    return Unconvertible("its audio cannot be resampled", got);
  if (got > 0 && av_audio_fifo_write(c.fifo, reinterpret_cast<void **>(converted->data), got) < got)
    return Unconvertible("no memory", AVERROR(ENOMEM));
  return std::nullopt;
}

std::optional<base::Fault> AdtsReencoder::Encode(bool last, std::vector<AVPacket *> &out) {
  Codecs &c = *codecs_;
  AVCodecContext &encoder = *c.encoder;
  const auto drain = [&]() -> std::optional<base::Fault> {
    int error;
    while ((error = avcodec_receive_packet(&encoder, c.packet)) == 0) {
      // The encoder's priming comes before the piece: the piece's own samples begin after it.
      if (c.packet->pts < c.start) {
        av_packet_unref(c.packet);
        continue;
      }
      AVPacket *made = av_packet_alloc();
      if (made == nullptr ||
          av_new_packet(made, static_cast<int>(kHeaderSize) + c.packet->size) < 0) {
        av_packet_free(&made);
        av_packet_unref(c.packet);
        return Unconvertible("no memory", AVERROR(ENOMEM));
      }
      const auto header = Header(c.shape, static_cast<std::size_t>(c.packet->size));
      std::copy(header.begin(), header.end(), made->data);
      std::copy(c.packet->data, c.packet->data + c.packet->size, made->data + kHeaderSize);
      made->pts = made->dts = av_rescale_q(c.packet->pts, encoder.time_base, c.timeBase);
      made->duration = av_rescale_q(c.packet->duration, encoder.time_base, c.timeBase);
      made->flags = AV_PKT_FLAG_KEY;
      out.push_back(made);
      av_packet_unref(c.packet);
    }
    return error == AVERROR(EAGAIN) || error == AVERROR_EOF
               ? std::nullopt
               : std::optional(Unconvertible("its audio cannot be encoded", error));
  };
  if (c.start == AV_NOPTS_VALUE)
    c.start = 0;
  while (av_audio_fifo_size(c.fifo) >= encoder.frame_size ||
         (last && av_audio_fifo_size(c.fifo) > 0)) {
    AVFrame *frame = c.frame;
    frame->nb_samples = std::min(av_audio_fifo_size(c.fifo), encoder.frame_size);
    frame->format = encoder.sample_fmt;
    frame->sample_rate = encoder.sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &encoder.ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0 ||
        av_audio_fifo_read(c.fifo, reinterpret_cast<void **>(frame->data), frame->nb_samples) <
            frame->nb_samples) {
      av_frame_unref(frame);
      return Unconvertible("no memory", AVERROR(ENOMEM));
    }
    frame->pts = c.start + c.sent;
    c.sent += frame->nb_samples;
    const int error = avcodec_send_frame(&encoder, frame);
    av_frame_unref(frame);
    if (error < 0)
      return Unconvertible("its audio cannot be encoded", error);
    if (std::optional<base::Fault> fault = drain())
      return fault;
  }
  if (last) {
    avcodec_send_frame(&encoder, nullptr);
    return drain();
  }
  return std::nullopt;
}

} // namespace vidtrawl::media
