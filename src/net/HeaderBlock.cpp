#include "net/HeaderBlock.h"

#include "base/AsciiCase.h"

#include <charconv>
#include <cmath>

namespace vidtrawl::net {
namespace {

// The value after a key (given in lower case), or nullopt when the key is
// not in the block.
std::optional<std::string_view> ValueAfter(std::string_view block, std::string_view lower,
                                           std::string_view key) {
  const std::size_t at = lower.find(key);
  if (at == std::string_view::npos)
    return std::nullopt;
  const std::size_t start = at + key.size();
  std::size_t end = block.find("\r\n", start);
  if (end == std::string_view::npos)
    end = block.size();
  return block.substr(start, end - start);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

} // namespace

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
  const std::string lower = base::LowerAscii(block);

  HeaderFields fields;
  if (const auto value = ValueAfter(block, lower, "last-modified: "))
    fields.lastModified = std::string(*value);

  if (const auto value = ValueAfter(block, lower, "content-length: ")) {
    if (const auto size = ReadSizeValue(*value)) {
      fields.sizeState = HeaderFields::Size::Number;
      fields.fileSize = *size;
    } else {
      fields.sizeState = HeaderFields::Size::NotANumber;
    }
  }

  if (const auto value = ValueAfter(block, lower, "filename="))
    fields.remoteFileName = std::string(*value);

  if (const auto value = ValueAfter(block, lower, "content-type: ")) {
    const std::size_t slash = value->find('/');
    fields.remoteFileType =
        std::string(slash == std::string_view::npos ? *value : value->substr(slash + 1));
  }

  fields.fileExists = lower.find("http/1.1 404 not found") == std::string::npos &&
                      lower.find("http/1.1 404 file not found") == std::string::npos;
  return fields;
}

} // namespace vidtrawl::net
