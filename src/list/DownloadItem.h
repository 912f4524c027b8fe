#pragma once

#include <string>

namespace vidtrawl::list {

// One download: its number (index + 1 in the list, 1 to 32767), the page
// address, the local file name, a status text and a size text.
struct DownloadItem {
  int ID = 0;
  std::string Video_URL;
  std::string FileName;
  std::string Status;
  std::string FileSize;

  friend bool operator==(const DownloadItem &, const DownloadItem &) = default;
};

} // namespace vidtrawl::list
