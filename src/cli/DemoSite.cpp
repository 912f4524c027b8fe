#include "cli/DemoSite.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cstdint>

namespace vidtrawl::cli {
namespace {

// The path of an address: from the first "/" after the host to the query.
std::string PathOf(std::string_view address) {
  const std::size_t scheme = address.find("://");
  const std::size_t host = scheme == std::string_view::npos ? 0 : scheme + 3;
  const std::size_t slash = std::min(address.find('/', host), address.size());
  std::string_view path = address.substr(slash);
  path = path.substr(0, path.find_first_of("?#"));
  return path.empty() ? "/" : std::string(path);
}

DemoSite MakeDemoSite() {
  DemoSite demo;
  for (const engine::SamplePage &sample : engine::SamplePages()) {
    demo.pages.push_back(DemoPage{std::string(sample.site), std::string(sample.address),
                                  // a video file's address has no page
                                  sample.fetched ? PathOf(sample.address) : std::string(),
                                  std::string(sample.text), std::string(sample.videoAddress),
                                  std::string(sample.fileName)});
    const auto seed = static_cast<unsigned>(demo.videos.size() + 1);
    demo.videos.push_back(DemoVideo{std::string(sample.videoPath), sample.videoSize,
                                    sample.announced, std::string(sample.offeredName), seed});
    if (!sample.playerPath.empty())
      demo.redirects.push_back(
          DemoRedirect{std::string(sample.playerPath), std::string(sample.playerLocation)});
  }
  demo.unsupportedAddress = "ftp://ftp.example.org/videos/trawler.flv";
  return demo;
}

} // namespace

const DemoSite &TheDemoSite() {
  static const DemoSite site = MakeDemoSite();
  return site;
}

std::string DemoVideoBytes(const DemoVideo &video) {
  // "FLV", version 1, audio and video, header size 9, first tag size 0.
  static const char kHeader[] = "FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00";
  std::string bytes(video.size, '\0');
  const std::size_t header = std::min<std::size_t>(sizeof kHeader - 1, video.size);
  bytes.replace(0, header, kHeader, header);
  std::uint32_t state = video.seed * 2654435761u + 12345u;
  for (std::size_t i = header; i < video.size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

} // namespace vidtrawl::cli
