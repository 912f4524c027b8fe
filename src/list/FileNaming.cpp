#include "list/FileNaming.h"

#include "base/AsciiCase.h"
#include "list/CleanFileName.h"
#include "pagesearch/VideoFiles.h"

#include <algorithm>

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

// What a name cut at a word does not end with.
constexpr std::string_view kCutSeparators = " -_,;:";

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
  // At a word where one ends near the cut, without the blanks and dashes before it.
  if (const std::size_t blank = name.rfind(' ', head);
      blank != std::string::npos && blank > 0 && blank >= head - head / 4) {
    head = blank;
    for (std::string_view kept = std::string_view(name).substr(0, head); !kept.empty();
         kept = std::string_view(name).substr(0, head)) {
      if (kCutSeparators.find(kept.back()) != std::string_view::npos)
        --head;
      else if (kept.ends_with("\u2013") || kept.ends_with("\u2014")) // en and em dash
        head -= 3;
      else
        break;
    }
  }
  name = name.substr(0, head) + name.substr(tail);
}

std::optional<std::string> TypedFileName(std::string_view typed) {
  std::string name = CleanFileName(typed);
  if (name == kEnterFileName)
    return std::nullopt;
  ShortenKeepingExtension(name, kMaxFileName);
  return name;
}

namespace {

// A field of a template at `at` ("{title}"): its name, empty where none starts there.
std::string_view FieldAt(std::string_view form, std::size_t at) {
  if (form[at] != '{')
    return {};
  const std::size_t end = form.find('}', at);
  if (end == std::string_view::npos || end == at + 1)
    return {};
  const std::string_view name = form.substr(at + 1, end - at - 1);
  const bool word = std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
  return word ? name : std::string_view();
}

// One part of a template (between slashes) with its fields put in.
std::string Expand(std::string_view form, const NameFields &fields) {
  std::string text;
  for (std::size_t at = 0; at < form.size();) {
    const std::string_view field = FieldAt(form, at);
    if (field.empty()) {
      text += form[at++];
      continue;
    }
    text += field == "title"      ? fields.title
            : field == "id"       ? fields.id
            : field == "site"     ? fields.site
            : field == "ext"      ? fields.ext
            : field == "uploader" ? (fields.uploader.empty() ? "NA" : fields.uploader)
                                  : "NA"; // as yt-dlp puts a field it does not know or have
    at += field.size() + 2;
  }
  return text;
}

} // namespace

std::vector<std::string> UnknownNameFields(std::string_view form) {
  std::vector<std::string> unknown;
  for (std::size_t at = 0; at < form.size(); ++at)
    if (const std::string_view field = FieldAt(form, at);
        !field.empty() && field != "title" && field != "id" && field != "site" && field != "ext" &&
        field != "uploader" && std::find(unknown.begin(), unknown.end(), field) == unknown.end())
      unknown.emplace_back(field);
  return unknown;
}

std::string NameFromTemplate(std::string_view form, const NameFields &fields) {
  // Folders are kept below the download folder: each is cleaned as a name is, and one that
  // would climb or stay ("..", ".", "") is left out, whatever a title holds.
  std::string name;
  const std::size_t slash = form.rfind('/');
  for (std::size_t at = 0; slash != std::string_view::npos && at < slash;) {
    const std::size_t end = std::min(form.find('/', at), slash);
    const std::string folder = Expand(form.substr(at, end - at), fields);
    if (folder.find_first_not_of(". ") != std::string::npos) {
      std::string clean = CleanFileName(folder);
      ShortenKeepingExtension(clean, kMaxFileName);
      name += clean + "/";
    }
    at = end + 1;
  }
  std::string file = CleanFileName(
      Expand(slash == std::string_view::npos ? form : form.substr(slash + 1), fields));
  ShortenKeepingExtension(file, kMaxFileName);
  return name + file;
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
