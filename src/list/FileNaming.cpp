#include "list/FileNaming.h"

#include "base/AsciiCase.h"
#include "list/CleanFileName.h"
#include "pagesearch/VideoFiles.h"

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

} // namespace

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

std::optional<std::string> TypedFileName(std::string_view typed) {
  std::string name = CleanFileName(typed);
  if (name == kEnterFileName)
    return std::nullopt;
  ShortenKeepingExtension(name, kMaxFileName);
  return name;
}

std::string NameFromTemplate(std::string_view form, const NameFields &fields) {
  std::string name;
  for (std::size_t at = 0; at < form.size();) {
    bool put = false;
    for (const auto &[key, value] :
         {std::pair<std::string_view, const std::string &>{"{title}", fields.title},
          {"{id}", fields.id},
          {"{site}", fields.site},
          {"{ext}", fields.ext}})
      if (form.substr(at, key.size()) == key) {
        name += value;
        at += key.size();
        put = true;
        break;
      }
    if (!put)
      name += form[at++];
  }
  name = CleanFileName(name);
  ShortenKeepingExtension(name, kMaxFileName);
  return name;
}

std::string NameOfVideo(const net::RemoteFile &file, const std::string &videoAddress,
                        const sites::NamingRule &rule, const std::string &pageTitle) {
  std::string name = file.name;
  if (rule.titleOrPath) {
    if (name.empty() && !pageTitle.empty())
      name = pageTitle + std::string(pagesearch::FileExtension(videoAddress));
    if (name.empty()) {
      const std::string path = videoAddress.substr(0, videoAddress.find_first_of("?#"));
      name = AfterLastSlash(path);
    }
  } else {
    const std::string ext = LowerLastFour(videoAddress);
    const bool videoExtension = ext == ".flv" || ext == ".wmv";
    if (name.empty() || videoExtension)
      name = AfterLastSlash(videoAddress);
  }
  if (rule.flashSuffix)
    name += ".flv";
  // Cleaned before it is cut, so that the cut keeps what is left of the
  // extension and the name stays within its length.
  name = CleanFileName(name);
  ShortenKeepingExtension(name, rule.maxNameLength);
  return name;
}

std::string NameOfStream(const std::string &pageTitle, const std::string &playlistAddress,
                         std::string_view extension) {
  std::string name = pageTitle;
  if (name.empty()) {
    name = AfterLastSlash(playlistAddress.substr(0, playlistAddress.find_first_of("?#")));
    name = name.substr(0, name.size() - pagesearch::FileExtension(name).size());
  }
  if (name.empty())
    name = kEnterFileName;
  name = CleanFileName(name + std::string(extension));
  ShortenKeepingExtension(name, kMaxStreamName);
  return name;
}

} // namespace vidtrawl::list
