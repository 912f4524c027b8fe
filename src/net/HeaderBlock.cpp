#include "net/HeaderBlock.h"

#include "base/AsciiCase.h"
#include "net/ContentDisposition.h"

#include <charconv>
#include <cmath>

namespace vidtrawl::net {
namespace {

// The value of the first line that begins with `key` (given in lower case,
// its colon and blank included), letters compared without regard to case;
// nothing when no line does. A name inside another ("X-Orig-Content-Length")
// or inside a value is no match.
std::optional<std::string_view> ValueAfter(std::string_view block, std::string_view key) {
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos)
      end = block.size();
    const std::string_view line = block.substr(start, end - start);
    if (base::StartsWithIgnoringCase(line, key))
      return line.substr(key.size());
    start = end + 2;
  }
  return std::nullopt;
}

bool HasLine(std::string_view block, std::string_view start) {
  return ValueAfter(block, start).has_value();
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

} // namespace

std::optional<double> ReadSizeList(std::string_view text) {
  std::optional<double> size;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::optional<double> one = ReadSizeValue(text.substr(0, comma));
    if (!one || (size && *size != *one))
      return std::nullopt;
    size = one;
    if (comma == std::string_view::npos)
      return size;
    text.remove_prefix(comma + 1);
  }
}

std::optional<double> ReadSizeValue(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);

  // digits [ "." digits ] | "." digits, then an optional exponent.
  std::size_t i = 0;
  std::size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i, ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0)
    return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
      ++i;
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++exponentDigits;
    if (exponentDigits == 0)
      return std::nullopt;
  }
  if (i != text.size())
    return std::nullopt;

  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

HeaderFields ReadHeaderBlock(std::string_view block) {
  const std::size_t nul = block.find('\0');
  if (nul != std::string_view::npos)
    block = block.substr(0, nul);

  HeaderFields fields;
  if (const auto value = ValueAfter(block, "last-modified: "))
    fields.lastModified = std::string(*value);
  if (const auto value = ValueAfter(block, "date: "))
    fields.date = std::string(*value);
  if (const auto value = ValueAfter(block, "etag: "))
    fields.etag = std::string(*value);
  if (const auto value = ValueAfter(block, "content-range: "))
    fields.contentRange = std::string(*value);

  if (const auto value = ValueAfter(block, "content-length: ")) {
    if (const auto size = ReadSizeList(*value)) {
      fields.sizeState = HeaderFields::Size::Number;
      fields.fileSize = *size;
    } else {
      fields.sizeState = HeaderFields::Size::NotANumber;
    }
  }

  if (const auto value = ValueAfter(block, "content-disposition:"))
    fields.remoteFileName = FileNameOfContentDisposition(*value);

  if (const auto value = ValueAfter(block, "content-type: ")) {
    const std::size_t slash = value->find('/');
    fields.remoteFileType =
        std::string(slash == std::string_view::npos ? *value : value->substr(slash + 1));
  }

  fields.fileExists =
      !HasLine(block, "http/1.1 404 not found") && !HasLine(block, "http/1.1 404 file not found");
  return fields;
}

} // namespace vidtrawl::net
