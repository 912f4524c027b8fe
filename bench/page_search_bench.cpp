// One page search of a page file, as the engine runs it on a fetched page: the file's bytes with
// an optional Content-Type value. Prints what it found; bench/page_cost.sh times it.
#include "pagesearch/PageVideo.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: page_search_bench PAGE_FILE [CONTENT_TYPE]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "page_search_bench: cannot read %s\n", argv[1]);
    return 2;
  }
  const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const auto found = vidtrawl::pagesearch::FindPageVideo(page, "http://bench.example.net/page",
                                                         argc > 2 ? argv[2] : "");
  std::printf("%zu bytes: address \"%s\", follow \"%s\", hosted \"%s\", title \"%s\"\n",
              page.size(), found.address.c_str(), found.follow.c_str(),
              found.hosted ? found.hosted->address.c_str() : "", found.title.c_str());
  return 0;
}
