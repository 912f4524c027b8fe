#include "net/Validators.h"

#include <curl/curl.h>

#include <ctime>

#include "base/AsciiCase.h"
#include "base/NumberScan.h"

namespace vidtrawl::net {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

} // namespace

std::string StrongValidator(const HeaderFields &fields) {
  const std::string_view etag = Trimmed(fields.etag);
  if (!etag.empty())
    return etag.rfind("W/", 0) == 0 ? std::string() : std::string(etag);
  // A date is strong only when the answer's own Date is a minute or more after it (RFC 9110
  // 8.8.2.2): a file changed within its second would keep its date.
  if (fields.lastModified == "Not Available" || fields.date.empty())
    return {};
  const std::string modified(Trimmed(fields.lastModified));
  const std::time_t when = curl_getdate(modified.c_str(), nullptr);
  const std::time_t now = curl_getdate(std::string(Trimmed(fields.date)).c_str(), nullptr);
  return when >= 0 && now >= 0 && now - when >= 60 ? modified : std::string();
}

std::optional<ContentRange> ReadContentRange(std::string_view value) {
  value = Trimmed(value);
  if (!base::StartsWithIgnoringCase(value, "bytes "))
    return std::nullopt;
  value.remove_prefix(6);
  const std::size_t slash = value.find('/');
  if (slash == std::string_view::npos)
    return std::nullopt;
  ContentRange range;
  const std::string_view length = value.substr(slash + 1), part = value.substr(0, slash);
  if (length != "*") {
    range.length = base::ParseInteger<std::uint64_t>(length);
    if (!range.length)
      return std::nullopt;
  }
  if (part == "*")
    return range.length ? std::optional<ContentRange>(range) : std::nullopt;
  const std::size_t dash = part.find('-');
  if (dash == std::string_view::npos)
    return std::nullopt;
  range.first = base::ParseInteger<std::uint64_t>(part.substr(0, dash));
  const std::optional<std::uint64_t> last =
      base::ParseInteger<std::uint64_t>(part.substr(dash + 1));
  if (!range.first || !last || *last < *range.first || (range.length && *last >= *range.length))
    return std::nullopt;
  range.last = *last;
  return range;
}

bool IsWebPageBody(std::string_view contentType, std::string_view start) {
  const std::string_view type = Trimmed(contentType.substr(0, contentType.find(';')));
  if (base::EqualsIgnoringCase(type, "text/html") ||
      base::EqualsIgnoringCase(type, "application/xhtml+xml"))
    return true;
  if (start.rfind("\xEF\xBB\xBF", 0) == 0)
    start.remove_prefix(3);
  while (!start.empty() && (start.front() == ' ' || start.front() == '\t' ||
                            start.front() == '\r' || start.front() == '\n'))
    start.remove_prefix(1);
  for (const std::string_view opening :
       {"<!doctype html", "<html", "<head", "<body", "<title", "<meta", "<script"})
    if (base::StartsWithIgnoringCase(start, opening))
      return true;
  return false;
}

} // namespace vidtrawl::net
