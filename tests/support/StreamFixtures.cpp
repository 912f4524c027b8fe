#include "support/StreamFixtures.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <unistd.h>

namespace vidtrawl::testing {
namespace {

std::string Ffmpeg(const std::string &args) {
  return "ffmpeg -nostdin -v error -y " + args;
}
std::string Lavfi(std::string_view graph) {
  return " -f lavfi -i " + std::string(graph);
}
const std::string kTone = Lavfi("sine=f=440:d=4");
const std::string kLossless = " -c:v libx264 -qp 0 -g 10 -pix_fmt yuv420p -c:a aac -b:a 64k";
const std::string kHls = " -f hls -hls_time 1 -hls_playlist_type vod";
const std::string kSmall = Lavfi(kSmallVideo);
const std::string kSmallWithTone = kSmall + kTone + kLossless;

// One file a representation, fragmented MP4 (SegmentBase): a clear video set beside one
// protected by DRM, and audio sets of two languages in the main role beside a commentary.
std::string OnDemand() {
  const std::string fragmented = " -movflags +frag_keyframe+empty_moov+default_base_moof ";
  const auto set = [](const std::string &attributes, const std::string &inside,
                      const std::string &id) {
    return "<AdaptationSet " + attributes + ">" + inside + "<Representation id=\"" + id +
           "\" bandwidth=\"64000\" width=\"320\" height=\"180\"><BaseURL>" + id +
           ".mp4</BaseURL></Representation></AdaptationSet>\n";
  };
  const auto role = [&](const char *lang, const char *value, const std::string &id) {
    return set(
        "contentType=\"audio\" lang=\"" + std::string(lang) + "\"",
        std::string("<Role schemeIdUri=\"urn:mpeg:dash:role:2011\" value=\"") + value + "\"/>", id);
  };
  return Ffmpeg(kSmall + " -c:v libx264 -qp 0 -g 10 -pix_fmt yuv420p" + fragmented + "video.mp4") +
         " && for a in de:440 en:660 commentary:880; do " +
         Ffmpeg(Lavfi("sine=f=${a#*:}:d=4") + " -c:a aac -b:a 64k" + fragmented + "${a%:*}.mp4") +
         " || exit 1; done && cat > manifest.mpd <<'E'\n<MPD type=\"static\" "
         "mediaPresentationDuration=\"PT4S\"><Period>\n" +
         set("contentType=\"video\"",
             "<ContentProtection schemeIdUri=\"urn:uuid:edef8ba9-79d6-"
             "4ace-a3c8-27dcd51d21ed\"/>",
             "hd") +
         set("contentType=\"video\"", "", "video") + role("en", "commentary", "commentary") +
         role("de", "main", "de") + role("en-GB", "main", "en") + "</Period></MPD>\nE\n";
}

// Two pieces of 30 frames a second with B-frames, as encoders make them: a 1 kHz tone at
// `first` Hz, then (an advertisement) at `second` Hz, in the audio `codec`.
std::string Splice(const std::string &codec, const std::string &first, const std::string &second) {
  const auto piece = [&](const char *video, const std::string &rate, const char *flags) {
    return Ffmpeg(Lavfi(std::string(video) + "=s=160x90:r=30:d=2") +
                  Lavfi("sine=f=1000:d=2:sample_rate=" + rate) +
                  " -c:v libx264 -preset veryfast -g 30 -pix_fmt yuv420p -c:a " + codec +
                  " -b:a 64k -f hls -hls_time 1 " + flags + " index.m3u8");
  };
  return piece("testsrc2", first, "-hls_flags omit_endlist") + " && " +
         piece("smptebars", second, "-hls_playlist_type vod -hls_flags append_list");
}

const std::vector<StreamFixture> &Fixtures() {
  static const std::vector<StreamFixture> fixtures{
      {"hls-variants", "master.m3u8",
       Ffmpeg(kSmall + Lavfi(kLargeVideo) + kTone + " -map 0:v -map 2:a -map 1:v -map 2:a" +
              kLossless + kHls +
              " -master_pl_name master.m3u8 -var_stream_map 'v:0,a:0 v:1,a:1' "
              "-hls_segment_filename 'v%v_%d.ts' 'v%v.m3u8'")},
      {"hls-fmp4", "index.m3u8",
       Ffmpeg(kSmallWithTone + kHls + " -hls_segment_type fmp4 index.m3u8")},
      {"hls-aes", "index.m3u8",
       "printf 0123456789abcdef > k.key && printf 'k.key\\nk.key\\n' > k.info && " +
           Ffmpeg(kSmallWithTone + kHls +
                  " -start_number 7 -hls_segment_filename 'plain%d.ts' plain.m3u8") +
           " && " +
           Ffmpeg(kSmallWithTone + kHls +
                  " -start_number 7 -hls_key_info_file k.info -hls_flags periodic_rekey "
                  "index.m3u8") +
           " && sed -i 's/,IV=0x[0-9a-f]*//' index.m3u8"},
      {"hls-audio", "master.m3u8",
       Ffmpeg(kSmall + kTone + " -map 0:v -map 1:a" + kLossless + kHls +
              " -master_pl_name master.m3u8 -var_stream_map 'v:0,agroup:aud "
              "a:0,agroup:aud,default:yes' 'p%v.m3u8'")},
      {"hls-byterange", "index.m3u8",
       Ffmpeg(kSmallWithTone + kHls + " -hls_segment_type fmp4 -hls_flags single_file index.m3u8") +
           " && awk '/^#EXT-X-BYTERANGE/ && n++ {sub(/@[0-9]+/, \"\")} 1' index.m3u8 > t && "
           "mv t index.m3u8"},
      {"hls-discontinuity", "index.m3u8",
       Ffmpeg(Lavfi(kFirstPiece) + kTone + kLossless +
              " -t 2 -f hls -hls_time 1 -hls_flags omit_endlist index.m3u8") +
           " && " +
           Ffmpeg(Lavfi(kSecondPiece) + kTone + kLossless + kHls +
                  " -t 2 -hls_flags append_list index.m3u8")},
      {"hls-live", "index.m3u8",
       Ffmpeg(kSmall + kLossless + " -f hls -hls_time 1 -hls_flags omit_endlist index.m3u8")},
      {"dash", "manifest.mpd",
       Ffmpeg(kSmall + Lavfi(kLargeVideo) + kTone + " -map 0:v -map 1:v -map 2:a" + kLossless +
              " -f dash -seg_duration 1 -adaptation_sets 'id=0,streams=v id=1,streams=a' "
              "manifest.mpd")},
      {"dash-single", "manifest.mpd",
       Ffmpeg(kSmallWithTone + " -f dash -seg_duration 1 -single_file 1 manifest.mpd")},
      {"dash-webm", "manifest.mpd",
       Ffmpeg(kSmall + kTone +
              " -c:v libvpx-vp9 -lossless 1 -g 10 -deadline realtime -cpu-used 8 -c:a libopus -f "
              "dash -dash_segment_type webm -seg_duration 1 -use_timeline 0 manifest.mpd")},
      {"dash-ondemand", "manifest.mpd", OnDemand()},
      {"hls-splice", "index.m3u8", Splice("aac", "48000", "44100")},
      {"hls-splice-mp3", "index.m3u8", Splice("libmp3lame", "48000", "44100")},
      {"hls-many", "index.m3u8",
       Ffmpeg(Lavfi(kManyFrames) + " -c:v libx264 -qp 0 -g 1 -pix_fmt yuv420p -f hls -hls_time "
                                   "0.01 -hls_playlist_type vod index.m3u8")},
      {"hls-hevc", "index.m3u8",
       Ffmpeg(kSmall + kTone +
              " -c:v libx265 -x265-params lossless=1:log-level=error -tag:v hvc1 -g 10 -pix_fmt "
              "yuv420p -c:a aac -b:a 64k" +
              kHls + " -hls_segment_type fmp4 index.m3u8")},
  };
  return fixtures;
}

// The lines a command writes.
std::vector<std::string> Lines(const std::string &command) {
  const std::unique_ptr<FILE, int (*)(FILE *)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<std::string> lines(1);
  for (int c; pipe && (c = std::fgetc(pipe.get())) != EOF;)
    if (c == '\n')
      lines.emplace_back();
    else
      lines.back().push_back(static_cast<char>(c));
  lines.pop_back();
  return lines;
}

// The last column of each frame line of ffmpeg's framemd5 output.
std::vector<std::string> FrameHashes(const std::string &input,
                                     const std::string &streams = " -map 0:v -pix_fmt yuv420p") {
  std::vector<std::string> hashes;
  for (const std::string &line : Lines(Ffmpeg(input + streams + " -f framemd5 -")))
    if (!line.starts_with('#'))
      hashes.push_back(line.substr(line.rfind(',') + 2));
  return hashes;
}

} // namespace

const StreamFixture &FindStreamFixture(std::string_view name) {
  for (const StreamFixture &fixture : Fixtures())
    if (fixture.name == name)
      return fixture;
  throw std::invalid_argument("no stream fixture " + std::string(name));
}

std::filesystem::path StreamFixtureDir(const StreamFixture &fixture) {
  const std::filesystem::path dir = std::filesystem::path(VIDTRAWL_STREAM_FIXTURES) / fixture.name;
  if (std::filesystem::exists(dir))
    return dir;
  std::filesystem::create_directories(dir.parent_path());
  std::string making = dir.string() + ".XXXXXX";
  if (::mkdtemp(making.data()) == nullptr ||
      std::system(("cd '" + making + "' && " + fixture.command).c_str()) != 0)
    throw std::runtime_error("ffmpeg could not make " + std::string(fixture.name));
  std::error_code taken; // another process made it first: its copy is as good
  std::filesystem::rename(making, dir, taken);
  if (taken)
    std::filesystem::remove_all(making);
  return dir;
}

std::vector<std::string> VideoFrameHashes(const std::filesystem::path &file) {
  return FrameHashes(" -i '" + file.string() + "'");
}

std::vector<std::string> AudioFrameHashes(const std::filesystem::path &file) {
  return FrameHashes(" -i '" + file.string() + "'", " -map 0:a");
}

std::vector<std::string> LavfiFrameHashes(std::string_view graph) {
  return FrameHashes(Lavfi(graph));
}

double ToneHertz(const std::filesystem::path &file, double from, double seconds) {
  // The first channel's zero crossings, twice the tone's periods.
  const std::vector<std::string> counts =
      Lines("ffprobe -v error -f lavfi 'amovie=" + file.string() +
            ",atrim=" + std::to_string(from) + ":" + std::to_string(from + seconds) +
            ",astats=metadata=1:reset=0' -show_entries "
            "frame_tags=lavfi.astats.1.Zero_crossings -of csv=p=0");
  return counts.empty() ? 0 : std::stod(counts.back()) / 2 / seconds;
}

std::vector<std::string> ProbeStreams(const std::filesystem::path &file, const std::string &what) {
  return Lines("ffprobe -v error " + what + " -of csv=p=0 '" + file.string() + "'");
}

} // namespace vidtrawl::testing
