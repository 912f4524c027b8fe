#include "net/ContentDisposition.h"

#include "base/AsciiCase.h"

#include <curl/curl.h>

#include <memory>
#include <optional>

namespace vidtrawl::net {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

// One parameter's value at the start of `rest`: a quoted string, or bare
// text up to the next ";". `rest` is left after the value.
std::string TakeValue(std::string_view &rest) {
  rest = Trim(rest);
  std::string value;
  if (!rest.empty() && rest.front() == '"') {
    std::size_t i = 1;
    for (; i < rest.size() && rest[i] != '"'; ++i) {
      if (rest[i] == '\\' && i + 1 < rest.size())
        ++i;
      value += rest[i];
    }
    rest.remove_prefix(std::min(i + 1, rest.size()));
    const std::size_t semicolon = rest.find(';');
    rest.remove_prefix(semicolon == std::string_view::npos ? rest.size() : semicolon);
    return value;
  }
  const std::size_t semicolon = rest.find(';');
  value = std::string(Trim(rest.substr(0, semicolon)));
  rest.remove_prefix(semicolon == std::string_view::npos ? rest.size() : semicolon);
  return value;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string utf8;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

// charset'language'percent-encoded text; nothing for another charset.
std::optional<std::string> DecodeExtended(std::string_view value) {
  const std::size_t first = value.find('\'');
  const std::size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
  if (second == std::string_view::npos)
    return std::nullopt;
  const std::string_view charset = value.substr(0, first);
  const std::string_view encoded = value.substr(second + 1);
  const bool utf8 = base::EqualsIgnoringCase(charset, "utf-8");
  if (!utf8 && !base::EqualsIgnoringCase(charset, "iso-8859-1"))
    return std::nullopt;
  int length = 0;
  const std::unique_ptr<char, void (*)(void *)> decoded(
      curl_easy_unescape(nullptr, encoded.data(), static_cast<int>(encoded.size()), &length),
      &curl_free);
  if (!decoded)
    return std::nullopt;
  const std::string_view bytes(decoded.get(), static_cast<std::size_t>(length));
  return utf8 ? std::string(bytes) : Latin1ToUtf8(bytes);
}

} // namespace

std::string FileNameOfContentDisposition(std::string_view value) {
  std::string plain;
  std::optional<std::string> extended;
  std::string_view rest = value;
  while (!rest.empty()) {
    // Each round reads "name=value" (or a bare disposition type) up to a ";".
    const std::size_t equals = rest.find('=');
    const std::size_t semicolon = rest.find(';');
    if (equals == std::string_view::npos ||
        (semicolon != std::string_view::npos && semicolon < equals)) {
      if (semicolon == std::string_view::npos)
        break;
      rest.remove_prefix(semicolon + 1);
      continue;
    }
    const std::string name = base::LowerAscii(Trim(rest.substr(0, equals)));
    rest.remove_prefix(equals + 1);
    std::string parameter = TakeValue(rest);
    if (!rest.empty())
      rest.remove_prefix(1); // the ";"
    if (name == "filename*" && !extended)
      extended = DecodeExtended(parameter);
    else if (name == "filename" && plain.empty())
      plain = std::move(parameter);
  }
  return extended && !extended->empty() ? *extended : plain;
}

} // namespace vidtrawl::net
