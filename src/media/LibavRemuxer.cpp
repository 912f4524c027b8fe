// Built as a module of its own (loaded by RemuxModule when a stream is joined): FFmpeg's
// libraries, and the dozens of codec libraries they bring, are loaded by no run that joins none.
#include "media/RemuxModule.h"

#include "media/AudioSplices.h"
#include "media/SpanReader.h"
#include "media/TimelineMender.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}
#include <unicode/uloc.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

namespace vidtrawl::media {
namespace {

// Only containers that segments come in: a hostile "segment" that is a playlist, a concat list
// or an image sequence would make the demuxer open other files.
constexpr const char *kContainers = "mpegts,mov,matroska,aac,mp3,ac3,eac3,flv";

// AV_TIME_BASE_Q, without the C compound literal that C++ compilers warn about.
constexpr AVRational kMicroseconds{1, AV_TIME_BASE};

constexpr std::array kMp4Codecs{AV_CODEC_ID_H264,  AV_CODEC_ID_HEVC, AV_CODEC_ID_AV1,
                                AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC,  AV_CODEC_ID_MP3,
                                AV_CODEC_ID_AC3,   AV_CODEC_ID_EAC3};

base::Fault RemuxFault(std::string what, int error = 0) {
  if (error != 0) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> text{};
    av_strerror(error, text.data(), text.size());
    what += std::string(" (") + text.data() + ")";
  }
  return base::Fault{base::FaultKind::Remux, std::move(what)};
}

struct CloseInput {
  void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct CloseOutput {
  void operator()(AVFormatContext *context) const {
    avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct FreePacket {
  void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using InputFile = std::unique_ptr<AVFormatContext, CloseInput>;

// The libraries would write their complaints about damaged segments on the user's terminal;
// the engine reports faults as values instead.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// An input read through its reader, which outlives it.
struct OpenedInput {
  std::unique_ptr<SpanReader> reader;
  InputFile file;
};

base::Outcome<OpenedInput> OpenInput(const TrackSource &source, const char *what) {
  const std::string unreadable = std::string("the received ") + what + " cannot be read";
  OpenedInput opened;
  opened.reader = SpanReader::Open(source);
  if (!opened.reader)
    return RemuxFault(unreadable + ": " + std::strerror(errno));
  AVFormatContext *context = avformat_alloc_context();
  if (context == nullptr)
    return RemuxFault(unreadable, AVERROR(ENOMEM));
  context->pb = opened.reader->Context();
  context->flags |= AVFMT_FLAG_CUSTOM_IO;
  AVDictionary *options = nullptr;
  av_dict_set(&options, "format_whitelist", kContainers, 0);
  // The reader is the only way in: no demuxer opens another file or address.
  av_dict_set(&options, "protocol_whitelist", "", 0);
  int error = avformat_open_input(&context, nullptr, nullptr, &options);
  av_dict_free(&options);
  if (error < 0) // the context is freed
    return RemuxFault(unreadable, error);
  opened.file.reset(context);
  if ((error = avformat_find_stream_info(context, nullptr)) < 0)
    return RemuxFault(unreadable, error);
  return opened;
}

// The input's codec tag where the output's container takes it for the same codec (HEVC's hvc1,
// which Apple's players ask for, not the hev1 the muxer would choose), else the container's own.
unsigned OutputTag(const AVOutputFormat &format, const AVCodecParameters &in) {
  unsigned own = 0;
  if (in.codec_tag == 0 || (format.codec_tag != nullptr &&
                            av_codec_get_id(format.codec_tag, in.codec_tag) != in.codec_id &&
                            av_codec_get_tag2(format.codec_tag, in.codec_id, &own)))
    return 0;
  return in.codec_tag;
}

// A stream's language as ISO 639-2 (what MP4 and Matroska keep): its container's, else the
// playlist's tag converted (ICU knows every language's three letters); empty when neither says.
std::string LanguageOf(const AVStream &stream, const std::string &playlist) {
  if (const AVDictionaryEntry *own = av_dict_get(stream.metadata, "language", nullptr, 0);
      own != nullptr && std::strlen(own->value) == 3 && std::strcmp(own->value, "und") != 0)
    return own->value;
  if (playlist.empty() || playlist.size() > 64)
    return {};
  const char *letters = uloc_getISO3Language(playlist.c_str());
  return letters != nullptr && std::strlen(letters) == 3 ? letters : std::string();
}

int BestStream(AVFormatContext *context, AVMediaType type) {
  const int index = av_find_best_stream(context, type, -1, -1, nullptr, 0);
  return index >= 0 && context->streams[index]->codecpar->codec_id != AV_CODEC_ID_NONE ? index : -1;
}

struct State {
  struct Input {
    std::unique_ptr<SpanReader> reader; // goes after the file it reads for
    InputFile file;
    std::vector<int> trackOf; // each stream's track; -1 for a stream not copied
    TimelineMender mender;
    std::int64_t position = std::numeric_limits<std::int64_t>::min(); // mended, microseconds
    bool ended = false;
  };
  struct Track {
    std::size_t input = 0;
    AVStream *in = nullptr;
    AVStream *out = nullptr;
    std::int64_t lastTime = 0; // microseconds, as read
    std::int64_t step = 0;     // between its last two packets, microseconds
    std::int64_t lastDts = std::numeric_limits<std::int64_t>::min(); // as written
    std::int64_t lastEnd = std::numeric_limits<std::int64_t>::min(); // and its duration after
    std::unique_ptr<AudioSplices> splices;                           // an audio track's
  };

  std::vector<Input> inputs;
  std::vector<Track> tracks;
  std::unique_ptr<AVFormatContext, CloseOutput> output;
  std::unique_ptr<AVPacket, FreePacket> packet{av_packet_alloc()};
  Container container = Container::Mp4;
  std::size_t copied = 0; // packets
  bool complete = false;

  void AddTrack(std::size_t input, int stream) {
    if (stream < 0)
      return;
    inputs[input].trackOf[static_cast<std::size_t>(stream)] = static_cast<int>(tracks.size());
    Track track;
    track.input = input;
    track.in = inputs[input].file->streams[stream];
    tracks.push_back(std::move(track));
  }

  base::Outcome<bool> Copy(Input &input);
  std::optional<base::Fault> Write(Track &track, AVPacket *p);
  // Writes what the audio tracks' splices still hold, once the inputs are read.
  std::optional<base::Fault> FinishSplices();
};

// The remuxer of FFmpeg's libraries.
class LibavRemuxer final : public Remuxer {
public:
  explicit LibavRemuxer(std::unique_ptr<State> state) : state_(std::move(state)) {}
  Container Output() const override;
  base::Outcome<bool> Step(std::size_t packets) override;

private:
  std::unique_ptr<State> state_;
};

base::Outcome<std::unique_ptr<Remuxer>> OpenLibav(const TrackSource &video,
                                                  const std::optional<TrackSource> &audio,
                                                  const std::filesystem::path &output) {
  QuietLibraries();
  auto state = std::make_unique<State>();
  for (const auto &[path, what] :
       {std::pair(&video, "video"), std::pair(audio ? &*audio : nullptr, "audio")}) {
    if (path == nullptr)
      continue;
    base::Outcome<OpenedInput> opened = OpenInput(*path, what);
    if (opened.Failed())
      return opened.Failure();
    State::Input input;
    input.reader = std::move(opened.Value().reader);
    input.file = std::move(opened.Value().file);
    input.trackOf.assign(input.file->nb_streams, -1);
    state->inputs.push_back(std::move(input));
  }
  if (!state->packet)
    return RemuxFault("no memory for a packet");
  state->AddTrack(0, BestStream(state->inputs[0].file.get(), AVMEDIA_TYPE_VIDEO));
  const std::size_t audioInput = state->inputs.size() - 1;
  state->AddTrack(audioInput, BestStream(state->inputs[audioInput].file.get(), AVMEDIA_TYPE_AUDIO));
  if (state->tracks.empty())
    return RemuxFault("the received segments hold no audio or video");

  std::int64_t start = std::numeric_limits<std::int64_t>::max();
  for (State::Input &input : state->inputs) {
    for (unsigned i = 0; i < input.file->nb_streams; ++i)
      if (input.trackOf[i] < 0)
        input.file->streams[i]->discard = AVDISCARD_ALL;
    if (input.file->start_time != AV_NOPTS_VALUE)
      start = std::min(start, input.file->start_time);
  }
  start = std::clamp(start == std::numeric_limits<std::int64_t>::max() ? 0 : start,
                     -TimelineMender::kFarthest, TimelineMender::kFarthest);
  for (State::Input &input : state->inputs)
    input.mender = TimelineMender(start);

  const bool mp4 = std::all_of(state->tracks.begin(), state->tracks.end(), [](const auto &track) {
    return std::find(kMp4Codecs.begin(), kMp4Codecs.end(), track.in->codecpar->codec_id) !=
           kMp4Codecs.end();
  });
  state->container = mp4 ? Container::Mp4 : Container::Matroska;
  AVFormatContext *context = nullptr;
  const std::string url = "file:" + output.string();
  int error =
      avformat_alloc_output_context2(&context, nullptr, mp4 ? "mp4" : "matroska", url.c_str());
  if (error < 0)
    return RemuxFault("the joined file cannot be made", error);
  state->output.reset(context);
  for (State::Track &track : state->tracks) {
    track.out = avformat_new_stream(context, nullptr);
    if (track.out == nullptr ||
        (error = avcodec_parameters_copy(track.out->codecpar, track.in->codecpar)) < 0)
      return RemuxFault("the joined file cannot be made", error);
    track.out->codecpar->codec_tag = OutputTag(*context->oformat, *track.in->codecpar);
    track.out->time_base = track.in->time_base;
    const std::string language =
        LanguageOf(*track.in, (track.input == 0 ? video : *audio).language);
    if (!language.empty())
      av_dict_set(&track.out->metadata, "language", language.c_str(), 0);
  }
  if ((error = avio_open(&context->pb, url.c_str(), AVIO_FLAG_WRITE)) < 0)
    return RemuxFault("the joined file cannot be made", error);
  AVDictionary *options = nullptr;
  if (mp4) // players can start before the whole file has arrived
    av_dict_set(&options, "movflags", "+faststart", 0);
  error = avformat_write_header(context, &options);
  av_dict_free(&options);
  if (error < 0)
    return RemuxFault("the joined file cannot be made", error);
  // In the time base the header gave the track.
  for (State::Track &track : state->tracks)
    if (track.in->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
      track.splices = std::make_unique<AudioSplices>(*track.in->codecpar, track.out->time_base);
  return std::unique_ptr<Remuxer>(std::make_unique<LibavRemuxer>(std::move(state)));
}

Container LibavRemuxer::Output() const {
  return state_->container;
}

base::Outcome<bool> LibavRemuxer::Step(std::size_t packets) {
  State &state = *state_;
  for (std::size_t i = 0; i < packets && !state.complete; ++i) {
    // The input that lags behind goes next, so that the output's tracks stay interleaved.
    State::Input *next = nullptr;
    for (State::Input &input : state.inputs)
      if (!input.ended && (next == nullptr || input.position < next->position))
        next = &input;
    if (next == nullptr && state.copied == 0)
      return RemuxFault("the received segments hold no audio or video frames");
    if (next == nullptr) {
      if (std::optional<base::Fault> fault = state.FinishSplices())
        return *fault;
      const int error = av_write_trailer(state.output.get());
      if (error < 0 || avio_closep(&state.output->pb) < 0)
        return RemuxFault("the joined file cannot be written", error);
      state.complete = true;
      break;
    }
    if (base::Outcome<bool> copied = state.Copy(*next); copied.Failed())
      return copied.Failure();
  }
  return state.complete;
}

base::Outcome<bool> State::Copy(Input &input) {
  AVPacket *p = packet.get();
  // A read error in a damaged segment ends its input: what was read is kept.
  if (av_read_frame(input.file.get(), p) < 0) {
    input.ended = true;
    return false;
  }
  const std::unique_ptr<AVPacket, void (*)(AVPacket *)> unref(p, av_packet_unref);
  if (p->stream_index < 0 || static_cast<std::size_t>(p->stream_index) >= input.trackOf.size() ||
      input.trackOf[static_cast<std::size_t>(p->stream_index)] < 0)
    return false;
  const int index = input.trackOf[static_cast<std::size_t>(p->stream_index)];
  Track &track = tracks[static_cast<std::size_t>(index)];
  const AVRational base = track.in->time_base;
  if (p->dts == AV_NOPTS_VALUE)
    p->dts = p->pts;
  if (p->dts == AV_NOPTS_VALUE || base.num <= 0 || base.den <= 0)
    return false; // nowhere to put it
  if (p->pts == AV_NOPTS_VALUE)
    p->pts = p->dts;
  const std::int64_t time = av_rescale_q(p->dts, base, kMicroseconds);
  const std::int64_t presented = av_rescale_q(p->pts, base, kMicroseconds);
  if (std::llabs(time) > TimelineMender::kFarthest ||
      std::llabs(presented) > TimelineMender::kFarthest)
    return false;
  const std::int64_t lasts =
      p->duration > 0 ? av_rescale_q(p->duration, base, kMicroseconds) : track.step;
  const std::int64_t shift = input.mender.Shift(index, time, lasts);
  if (std::llabs(time + shift) > TimelineMender::kFarthest ||
      std::llabs(presented + shift) > TimelineMender::kFarthest)
    return false;
  if (time > track.lastTime && time - track.lastTime < 10'000'000)
    track.step = time - track.lastTime;
  track.lastTime = time;
  input.position = time + shift;

  p->dts = av_rescale_q(time + shift, kMicroseconds, track.out->time_base);
  p->pts = av_rescale_q(presented + shift, kMicroseconds, track.out->time_base);
  p->duration = av_rescale_q(p->duration, base, track.out->time_base);
  if (track.splices) {
    std::vector<AVPacket *> made;
    const base::Outcome<bool> asIs = track.splices->Take(*p, input.mender.Splices(), made);
    if (asIs.Failed())
      return asIs.Failure();
    if (!asIs.Value()) {
      std::optional<base::Fault> fault;
      for (AVPacket *one : made) {
        if (!fault)
          fault = Write(track, one);
        av_packet_free(&one);
      }
      if (fault)
        return *fault;
      return false;
    }
  }
  if (std::optional<base::Fault> fault = Write(track, p))
    return *fault;
  return false;
}

std::optional<base::Fault> State::Write(Track &track, AVPacket *p) {
  constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::min();
  // Audio that a splice laid over what was written, by more than half its length, is left out:
  // squeezed in, it would be heard later than it belongs.
  if (track.splices && track.lastEnd != kNone && p->duration > 0 &&
      p->dts + p->duration / 2 < track.lastEnd)
    return std::nullopt;
  // The muxers take only rising decoding times in a track; what a splice left out of order
  // is nudged on.
  if (track.lastDts != kNone && p->dts <= track.lastDts) {
    const std::int64_t nudge = track.lastDts + 1 - p->dts;
    p->dts += nudge;
    p->pts += nudge;
  }
  track.lastDts = p->dts;
  track.lastEnd = p->dts + std::max<std::int64_t>(p->duration, 0);
  p->stream_index = track.out->index;
  p->pos = -1;
  if (const int error = av_interleaved_write_frame(output.get(), p); error < 0)
    return RemuxFault("the joined file cannot be written", error);
  ++copied;
  return std::nullopt;
}

std::optional<base::Fault> State::FinishSplices() {
  for (Track &track : tracks) {
    if (!track.splices)
      continue;
    base::Outcome<std::vector<AVPacket *>> rest = track.splices->Finish();
    if (rest.Failed())
      return rest.Failure();
    std::optional<base::Fault> fault;
    for (AVPacket *one : rest.Value()) {
      if (!fault)
        fault = Write(track, one);
      av_packet_free(&one);
    }
    if (fault)
      return fault;
  }
  return std::nullopt;
}

} // namespace

extern "C" const RemuxModule *vidtrawl_remux_module() {
  static const RemuxModule module{&OpenLibav};
  return &module;
}

} // namespace vidtrawl::media
