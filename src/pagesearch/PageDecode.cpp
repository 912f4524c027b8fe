#include "pagesearch/PageDecode.h"

#include "base/AsciiCase.h"
#include "base/TrimBlanks.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

namespace vidtrawl::pagesearch {
namespace {

constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kWindows1252 = "WINDOWS-1252";
constexpr std::size_t kPrescanLength = 1024;

struct IconvCloser {
  void operator()(void *handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

Converter OpenConverter(const std::string &from) {
  const iconv_t handle = iconv_open("UTF-8", from.c_str());
  return Converter(handle == reinterpret_cast<iconv_t>(-1) ? nullptr : handle);
}

// The encoding a label names, as iconv calls it; the web reads every Latin-1
// and ASCII label as windows-1252, and a page's UTF-16 label as UTF-8 (the
// bytes that carry it could not be UTF-16).
std::optional<std::string> EncodingOfLabel(std::string_view label, bool inPage) {
  std::string name = base::LowerAscii(base::TrimBlanks(label));
  if (name.empty() || name.size() > 40 ||
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-_.:") != std::string::npos)
    return std::nullopt;
  if (name == "utf8" || name == "unicode-1-1-utf-8" || name == "utf-8")
    return std::string(kUtf8);
  if (name.starts_with("utf-16") || name == "unicode" || name == "ucs-2")
    return inPage ? std::string(kUtf8) : name == "utf-16be" ? "UTF-16BE" : "UTF-16LE";
  for (const std::string_view latin :
       {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii", "cp1252",
        "windows-1252", "cp819", "ibm819", "x-cp1252", "iso-ir-100"})
    if (name == latin)
      return std::string(kWindows1252);
  if (!OpenConverter(name))
    return std::nullopt;
  return name;
}

// The charset parameter of a Content-Type value (or of a meta's content).
std::string_view CharsetParameter(std::string_view value) {
  std::size_t at = 0;
  while ((at = base::FindIgnoringCase(value, "charset", at)) != std::string_view::npos) {
    std::size_t i = at + 7;
    while (i < value.size() && value[i] == ' ')
      ++i;
    if (i >= value.size() || value[i] != '=') {
      at = i;
      continue;
    }
    ++i;
    while (i < value.size() && value[i] == ' ')
      ++i;
    const bool quoted = i < value.size() && (value[i] == '"' || value[i] == '\'');
    const std::size_t start = i + (quoted ? 1 : 0);
    const std::size_t end =
        quoted ? value.find(value[i], start) : value.find_first_of("; \t", start);
    return value.substr(start, std::min(end, value.size()) - start);
  }
  return {};
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// The label a <meta> at the page's start declares, as the HTML prescan
// finds it: <meta charset=...>, or http-equiv="content-type" with a
// content naming a charset. Comments are skipped.
std::string_view PrescanLabel(std::string_view head) {
  std::size_t i = 0;
  while ((i = head.find('<', i)) != std::string_view::npos) {
    if (head.substr(i, 4) == "<!--") {
      const std::size_t end = head.find("-->", i + 4);
      if (end == std::string_view::npos)
        return {};
      i = end + 3;
      continue;
    }
    ++i;
    if (!base::StartsWithIgnoringCase(head.substr(i), "meta") || i + 4 >= head.size() ||
        !(IsSpace(head[i + 4]) || head[i + 4] == '/'))
      continue;
    i += 4;
    std::string_view charset, content;
    bool contentType = false;
    while (i < head.size() && head[i] != '>') {
      while (i < head.size() && (IsSpace(head[i]) || head[i] == '/'))
        ++i;
      const std::size_t nameStart = i;
      while (i < head.size() && !IsSpace(head[i]) && head[i] != '=' && head[i] != '>')
        ++i;
      const std::string name = base::LowerAscii(head.substr(nameStart, i - nameStart));
      std::string_view value;
      if (i < head.size() && head[i] == '=') {
        ++i;
        const bool quoted = i < head.size() && (head[i] == '"' || head[i] == '\'');
        const std::size_t start = i + (quoted ? 1 : 0);
        std::size_t end = quoted ? head.find(head[i], start) : start;
        while (!quoted && end < head.size() && !IsSpace(head[end]) && head[end] != '>')
          ++end;
        end = std::min(end, head.size());
        value = head.substr(start, end - start);
        i = end + (quoted && end < head.size() ? 1 : 0);
      } else if (name.empty()) {
        ++i;
      }
      if (name == "charset" && charset.empty())
        charset = value;
      else if (name == "content" && content.empty())
        content = value;
      else if (name == "http-equiv")
        contentType = base::EqualsIgnoringCase(value, "content-type");
    }
    if (!charset.empty())
      return charset;
    if (contentType && !CharsetParameter(content).empty())
      return CharsetParameter(content);
  }
  return {};
}

// Whether the bytes are UTF-8. A character cut by the end (a page its server cut short) counts
// as UTF-8 after whole characters of more than one byte, which a one-byte encoding rarely makes.
bool IsUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    const std::size_t present = std::min(length, bytes.size() - i);
    if (length == 0 || (present < length && !multiByte))
      return false;
    for (std::size_t k = 1; k < present; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
        return false;
    const auto second = static_cast<unsigned char>(present > 1 ? bytes[i + 1] : 0x80);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
      return false; // overlong, a surrogate, or past U+10FFFF
    multiByte = multiByte || length > 1;
    i += length;
  }
  return true;
}

std::string Convert(std::string_view bytes, const std::string &encoding) {
  const Converter converter = OpenConverter(encoding);
  if (!converter)
    return std::string(bytes);
  const auto handle = static_cast<iconv_t>(converter.get());
  std::string out(bytes.size() * 2 + 16, '\0');
  char *in = const_cast<char *>(bytes.data());
  std::size_t inLeft = bytes.size();
  char *to = out.data();
  std::size_t toLeft = out.size();
  while (inLeft > 0) {
    if (iconv(handle, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
      break;
    if (errno == E2BIG) { // a byte can take three in UTF-8
      const std::size_t used = static_cast<std::size_t>(to - out.data());
      out.resize(out.size() * 2);
      to = out.data() + used;
      toLeft = out.size() - used;
      continue;
    }
    // A byte that is no character of the encoding, or a sequence the page cuts.
    if (toLeft < 3) {
      const std::size_t used = static_cast<std::size_t>(to - out.data());
      out.resize(out.size() + 16);
      to = out.data() + used;
      toLeft = out.size() - used;
    }
    for (const char c : {'\xEF', '\xBF', '\xBD'})
      *to++ = c;
    toLeft -= 3;
    ++in;
    --inLeft;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return out;
}

} // namespace

std::string DecodePage(std::string_view bytes, std::string_view contentType) {
  std::optional<std::string> encoding;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    encoding = std::string(kUtf8);
  } else if (bytes.starts_with("\xFE\xFF") || bytes.starts_with("\xFF\xFE")) {
    encoding = bytes[0] == '\xFE' ? "UTF-16BE" : "UTF-16LE";
    bytes.remove_prefix(2);
  }
  if (!encoding)
    encoding = EncodingOfLabel(CharsetParameter(contentType), false);
  if (!encoding)
    encoding = EncodingOfLabel(PrescanLabel(bytes.substr(0, kPrescanLength)), true);
  if (!encoding)
    encoding = std::string(IsUtf8(bytes) ? kUtf8 : kWindows1252);
  if (*encoding == kUtf8) // the parser reads UTF-8 itself, and stands U+FFFD for what is not
    return std::string(bytes);
  return Convert(bytes, *encoding);
}

} // namespace vidtrawl::pagesearch
