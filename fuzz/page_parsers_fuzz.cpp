// The sites' page parsers: the first byte chooses the site, the second the
// length of the page address that follows; the rest is the page.
#include "FuzzCheck.h"
#include "sites/SiteTable.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vidtrawl::sites;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2)
    return 0;
  const Site &site = *Sites()[data[0] % Sites().size()];
  if (site.kind == SiteKind::VideoFile) // a video file's own address: no page to read
    return 0;
  std::string_view rest(reinterpret_cast<const char *>(data + 2), size - 2);
  const std::size_t addressLength = std::min<std::size_t>(data[1], rest.size());
  const std::string_view address = rest.substr(0, addressLength);
  rest.remove_prefix(addressLength);

  const PageFinding found = site.parse(rest, address);
  // Only a site whose pages name their player asks for it, and never for a file as well.
  if (!found.player.empty())
    FUZZ_CHECK(!site.sample.playerPath.empty() && found.video.empty());
  return 0;
}
