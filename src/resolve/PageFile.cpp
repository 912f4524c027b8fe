#include "resolve/PageFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace vidtrawl::resolve {

std::optional<std::string> ReadPageFile(const std::filesystem::path &path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                              &std::fclose);
  if (!file)
    return std::nullopt;
  std::string page;
  char buffer[65536];
  while (page.size() < kMaxPageBytes) {
    const std::size_t want = std::min(sizeof buffer, kMaxPageBytes - page.size());
    const std::size_t got = std::fread(buffer, 1, want, file.get());
    page.append(buffer, got);
    if (got < want)
      break;
  }
  if (std::ferror(file.get()))
    return std::nullopt; // a folder, or a read error
  return page;
}

} // namespace vidtrawl::resolve
