#include "list/FileInfo.h"

#include "base/AsciiCase.h"

#include "list/CleanFileName.h"
#include "list/FormatSize.h"
#include "resolve/SiteTable.h"

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

// The longest extension kept whole by a cut; failing one, the last four
// bytes are kept, as they usually hold it.
constexpr std::size_t kMaxExtension = 8;

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts a name longer than `limit` bytes to that many, keeping its extension
// and never splitting a UTF-8 character.
void ShortenKeepingExtension(std::string &name, std::size_t limit) {
  if (name.size() <= limit)
    return;
  const std::size_t dot = name.rfind('.');
  std::size_t tail = dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxExtension
                         ? dot
                         : name.size() - 4;
  while (tail < name.size() && IsContinuationByte(name[tail]))
    ++tail;
  std::size_t head = limit - (name.size() - tail);
  while (head > 0 && IsContinuationByte(name[head]))
    --head;
  name = name.substr(0, head) + name.substr(tail);
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

  // Cleaned before it is cut, so that the cut keeps what is left of the
  // extension and the name stays within its length.
  name = CleanFileName(name);
  ShortenKeepingExtension(name, kMaxNameLength);
  if (site == resolve::kSiteYoutube)
    ShortenKeepingExtension(name, kMaxYoutubeNameLength);
  std::string missing;
  if (!download.FileExists())
    missing = download.FailureReason().empty() ? "the server reported no such file"
                                               : download.FailureReason();
  return FileInfo{name, sizeText, missing};
}

} // namespace vidtrawl::list
