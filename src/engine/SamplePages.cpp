#include "engine/SamplePages.h"

#include "sites/SiteTable.h"

namespace vidtrawl::engine {

std::vector<SamplePage> SamplePages() {
  std::vector<SamplePage> pages;
  for (const sites::Site *site : sites::Sites()) {
    const sites::SamplePage &sample = site->sample;
    pages.push_back({site->name, sample.address, site->kind != sites::SiteKind::VideoFile,
                     sample.text, sample.videoAddress, sample.fileName, sample.video.path,
                     sample.video.size, sample.video.announced, sample.video.offeredName,
                     sample.playerPath, sample.playerLocation});
  }
  return pages;
}

} // namespace vidtrawl::engine
