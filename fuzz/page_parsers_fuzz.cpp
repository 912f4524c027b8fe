// The twelve page parsers through the dispatch on the site number: the first
// byte chooses the site, the second the length of the page address that
// follows; the rest is the page.
#include "FuzzCheck.h"
#include "resolve/PageParsers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vidtrawl::resolve;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2)
    return 0;
  const int site = data[0] % 15 - 1; // -1 to 13: every site number and some that are none
  std::string_view rest(reinterpret_cast<const char *>(data + 2), size - 2);
  const std::size_t addressLength = std::min<std::size_t>(data[1], rest.size());
  const std::string_view address = rest.substr(0, addressLength);
  rest.remove_prefix(addressLength);

  bool playerAsked = false;
  const PlayerResolver player = [&](const std::string &playerAddress) {
    playerAsked = true;
    return playerAddress.empty() ? std::string() : "http://player.host/get_video?v=1";
  };
  const std::string result = ParsePage(site, rest, address, player);
  if (site < 1 || site > 13 || site == 7)
    FUZZ_CHECK(result.empty());
  if (playerAsked)
    FUZZ_CHECK(site == 2);
  return 0;
}
