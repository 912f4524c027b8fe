// The search of a page of no known site for its video file: any bytes as the
// page, at one of a few page addresses. Whatever it finds (a video, a video
// host's address, a page to follow; one of them at most) is an absolute http
// or https address; the title is one line without surrounding blanks.
#include "FuzzCheck.h"
#include "net/WebAddress.h"
#include "pagesearch/PageVideo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace vidtrawl;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 1)
    return 0;
  static constexpr std::string_view kPages[] = {"http://example.net/a/b/page.html?x=1",
                                                "https://h.example.org/", "http://[::1]:8080/v/",
                                                "http://example.net/%2e%2e/x"};
  const std::string_view page = kPages[data[0] % std::size(kPages)];
  const std::string_view html(reinterpret_cast<const char *>(data + 1), size - 1);
  const pagesearch::PageVideo found = pagesearch::FindPageVideo(html, page);
  const std::string hosted = found.hosted ? found.hosted->address : "";
  FUZZ_CHECK(!found.address.empty() + !found.follow.empty() + found.hosted.has_value() <= 1);
  for (const std::string *address : {&found.address, &found.follow, &hosted})
    if (!address->empty())
      FUZZ_CHECK(net::ParseWebAddress(*address).has_value());
  FUZZ_CHECK(!found.hosted || !found.hosted->site.empty());
  FUZZ_CHECK(found.title.find('\n') == std::string::npos);
  FUZZ_CHECK(found.title.empty() || (found.title.front() != ' ' && found.title.back() != ' '));
  return 0;
}
