#include "support/PageFixtures.h"

#include <fstream>
#include <sstream>

namespace vidtrawl::testing {

std::string PageFixtureText(const PageFixture &fixture) {
  std::ifstream file(std::string(VIDTRAWL_PAGES_DIR "/") + fixture.file, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

} // namespace vidtrawl::testing
