#include "manifests/HlsMediaPlaylist.h"

#include "base/AsciiCase.h"
#include "base/NumberScan.h"
#include "manifests/DrmSystems.h"
#include "manifests/HlsSyntax.h"
#include "manifests/StreamFault.h"
#include "net/WebAddress.h"

#include <charconv>
#include <cmath>

namespace vidtrawl::manifests {
namespace {

// The segment's duration: the number before EXTINF's comma; 0 when it is no number.
double Seconds(std::string_view value) {
  value = value.substr(0, value.find(','));
  double seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  return error == std::errc() && std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

// A hexadecimal IV ("0x" and up to 32 digits), right-aligned as an integer of 128 bits.
std::optional<std::array<std::uint8_t, 16>> ParseIv(std::string_view text) {
  if (!base::StartsWithIgnoringCase(text, "0x") || text.size() <= 2 || text.size() > 34)
    return std::nullopt;
  std::array<std::uint8_t, 16> iv{};
  std::size_t nibble = 0;
  for (auto digit = text.rbegin(); digit != text.rend() - 2; ++digit, ++nibble) {
    std::uint8_t value = 0;
    if (std::from_chars(&*digit, &*digit + 1, value, 16).ec != std::errc())
      return std::nullopt;
    iv[15 - nibble / 2] |= static_cast<std::uint8_t>(nibble % 2 ? value << 4 : value);
  }
  return iv;
}

std::array<std::uint8_t, 16> SequenceIv(std::uint64_t sequence) {
  std::array<std::uint8_t, 16> iv{};
  for (int i = 15; i >= 8; --i, sequence >>= 8)
    iv[i] = static_cast<std::uint8_t>(sequence & 0xFF);
  return iv;
}

// The key EXT-X-KEY sets: nothing for METHOD=NONE, a fault for what cannot be decrypted here.
struct KeyState {
  std::optional<SegmentKey> key;
  bool ivGiven = false;
};
base::Outcome<KeyState> ReadKey(std::string_view value, std::string_view address) {
  const HlsAttributes attributes = ParseHlsAttributes(value);
  const std::string_view method = Attribute(attributes, "METHOD");
  const std::string_view format = Attribute(attributes, "KEYFORMAT");
  const bool drm = !format.empty() && format != "identity";
  const std::string system = drm ? DrmSystemName(format) + " DRM" : "DRM";
  if (method == "NONE")
    return KeyState{};
  if (method == "SAMPLE-AES" || method == "SAMPLE-AES-CTR")
    return StreamFault("the stream is encrypted with " + std::string(method) + " (" + system +
                       "), which is not supported");
  if (method != "AES-128")
    return StreamFault("the stream is encrypted with METHOD=" + std::string(method.substr(0, 40)) +
                       ", which is not supported");
  if (drm)
    return StreamFault("the stream's keys are given by " + system + ", which is not supported");
  const std::string_view uri = Attribute(attributes, "URI");
  const std::optional<std::string> resolved = net::ResolveWebAddress(address, uri);
  if (!resolved)
    return uri.empty() ? StreamFault("the playlist names no address for its key")
                       : UnfetchableAddress(uri);
  KeyState state{SegmentKey{*resolved, {}}, attributes.contains("IV")};
  if (state.ivGiven) {
    const auto iv = ParseIv(Attribute(attributes, "IV"));
    if (!iv)
      return StreamFault("the playlist gives a malformed IV for its key");
    state.key->iv = *iv;
  }
  return state;
}

// Reads the playlist line by line; a segment takes the tags since the previous one.
class Reader {
public:
  explicit Reader(std::string_view address) : address_(address) {}

  std::optional<base::Fault> Take(const HlsLine &line) {
    if (line.tag.empty())
      return Segment(line.value);
    if (line.tag == "EXTINF")
      pending_.seconds = Seconds(line.value);
    else if (line.tag == "EXT-X-BYTERANGE") {
      range_ = ParseHlsByteRange(line.value);
      rangeMalformed_ = !range_;
    } else if (line.tag == "EXT-X-DISCONTINUITY")
      pending_.discontinuity = true;
    else if (line.tag == "EXT-X-GAP")
      gap_ = true;
    else if (line.tag == "EXT-X-MEDIA-SEQUENCE")
      sequence_ = base::ParseInteger<std::uint64_t>(line.value).value_or(0);
    else if (line.tag == "EXT-X-ENDLIST" ||
             (line.tag == "EXT-X-PLAYLIST-TYPE" && line.value == "VOD"))
      ended_ = true;
    else if (line.tag == "EXT-X-KEY") {
      base::Outcome<KeyState> key = ReadKey(line.value, address_);
      if (key.Failed())
        return key.Failure();
      key_ = std::move(key.Value());
    } else if (line.tag == "EXT-X-MAP")
      return Map(line.value);
    return std::nullopt;
  }

  base::Outcome<StreamTrack> Finish() {
    if (!ended_)
      return StreamFault(kLiveStream);
    if (track_.fragments.empty())
      return StreamFault("the playlist lists no segment");
    return std::move(track_);
  }

private:
  std::optional<base::Fault> Segment(std::string_view uri) {
    StreamFragment fragment = std::exchange(pending_, {});
    const std::optional<std::string> resolved = net::ResolveWebAddress(address_, uri);
    if (!resolved)
      return UnfetchableAddress(uri);
    fragment.address = *resolved;
    if (std::exchange(rangeMalformed_, false))
      return MalformedRange();
    if (range_ && !(fragment.range = Continue(fragment.address, *std::exchange(range_, {}))))
      return MalformedRange();
    if (key_.key) {
      fragment.key = key_.key;
      if (!key_.ivGiven)
        fragment.key->iv = SequenceIv(sequence_ + segments_);
    }
    ++segments_;
    track_.seconds += fragment.seconds;
    // A segment the server marks as missing is not asked for: the file has a gap there, and a
    // splice it began goes on with the next.
    if (std::exchange(gap_, false)) {
      pending_.discontinuity = fragment.discontinuity;
      return std::nullopt;
    }
    track_.fragments.push_back(std::move(fragment));
    return std::nullopt;
  }

  std::optional<base::Fault> Map(std::string_view value) {
    const HlsAttributes attributes = ParseHlsAttributes(value);
    StreamFragment init;
    const std::optional<std::string> resolved =
        net::ResolveWebAddress(address_, Attribute(attributes, "URI"));
    if (!resolved)
      return UnfetchableAddress(Attribute(attributes, "URI"));
    init.address = *resolved;
    if (attributes.contains("BYTERANGE")) {
      std::optional<HlsByteRange> range = ParseHlsByteRange(Attribute(attributes, "BYTERANGE"));
      if (!range)
        return MalformedRange();
      range->offset = range->offset.value_or(0);
      init.range = Continue(init.address, *range);
    }
    // RFC 8216 lets a key apply to the init section; its IV must then be given.
    init.key = key_.key;
    if (track_.init && *track_.init != init)
      return StreamFault("streams whose initialization section changes are not supported");
    track_.init = std::move(init);
    return std::nullopt;
  }

  // A range without an offset goes on after the previous range of the same file.
  std::optional<ByteRange> Continue(const std::string &address, const HlsByteRange &range) {
    const std::uint64_t offset =
        range.offset.value_or(address == rangeAddress_ ? rangeEnd_ : std::uint64_t{0});
    if (offset > UINT64_MAX - range.length)
      return std::nullopt;
    rangeAddress_ = address;
    rangeEnd_ = offset + range.length;
    return ByteRange{offset, range.length};
  }

  static base::Fault MalformedRange() {
    return StreamFault("the playlist gives a malformed byte range");
  }

  std::string_view address_;
  StreamTrack track_;
  StreamFragment pending_;
  std::optional<HlsByteRange> range_;
  bool rangeMalformed_ = false;
  KeyState key_;
  std::uint64_t sequence_ = 0;
  std::uint64_t segments_ = 0; // listed so far, gaps too: each has its sequence number
  bool gap_ = false;
  bool ended_ = false;
  std::string rangeAddress_;
  std::uint64_t rangeEnd_ = 0;
};

} // namespace

base::Outcome<StreamTrack> ParseHlsMediaPlaylist(std::string_view text, std::string_view address) {
  const std::optional<std::vector<HlsLine>> lines = ReadHlsLines(text);
  if (!lines)
    return StreamFault("the address gives no HLS playlist");
  Reader reader(address);
  for (const HlsLine &line : *lines)
    if (std::optional<base::Fault> fault = reader.Take(line))
      return *fault;
  return reader.Finish();
}

} // namespace vidtrawl::manifests
