#include "list/FileInfo.h"

#include "base/AsciiCase.h"

#include "list/CleanFileName.h"
#include "list/FormatSize.h"
#include "resolve/SiteTable.h"

#include <algorithm>
#include <cctype>

namespace vidtrawl::list {
namespace {

std::string LowerLastFour(const std::string &text) {
  return base::LowerAscii(text.size() > 4 ? std::string_view(text).substr(text.size() - 4)
                                          : std::string_view(text));
}

std::string AfterLastSlash(const std::string &text) {
  const std::size_t slash = text.rfind('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

// Keeps the first `head` and the last four characters of a name longer than
// head + 4 (the last four usually hold the extension).
void CutKeepingExtension(std::string &name, std::size_t head) {
  if (name.size() > head + 4)
    name = name.substr(0, head) + name.substr(name.size() - 4);
}

} // namespace

FileInfo GetFileInfo(net::Download &download, const std::string &videoAddress, int site) {
  download.SetUrl(videoAddress);
  download.RequestInformation();

  std::string name = download.RemoteFileName();
  std::string sizeText = FormatSize(download.FileSize());
  if (download.FileSize() == -1 && download.FileExists())
    sizeText = "0"; // the file exists but its size is not reported

  const std::string ext = LowerLastFour(videoAddress);
  const bool videoExtension = ext == ".flv" || ext == ".wmv";
  if (name.empty() || videoExtension) {
    if (videoExtension && videoAddress.find('/') != std::string::npos)
      name = AfterLastSlash(videoAddress);
    else
      name = CleanFileName(AfterLastSlash(videoAddress));
  }

  if (site == resolve::kSiteYoutube || site == resolve::kSiteDailyMotion ||
      site == resolve::kSiteZippyVideos)
    name += ".flv";

  CutKeepingExtension(name, 96);
  if (site == resolve::kSiteYoutube)
    CutKeepingExtension(name, 31);

  return FileInfo{CleanFileName(name), sizeText};
}

} // namespace vidtrawl::list
