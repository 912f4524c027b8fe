#include "pagesearch/LenientJson.h"

#include "base/TrimBlanks.h"

#include <string>

namespace vidtrawl::pagesearch {

nlohmann::json ParseLenientJson(std::string_view text) {
  text = base::TrimBlanks(text);
  if (text.starts_with("<!--"))
    text.remove_prefix(4);
  if (text.ends_with("-->"))
    text.remove_suffix(3);
  std::string json;
  json.reserve(text.size());
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\' && i + 1 < text.size()) {
        json.append(text.substr(i++, 2));
        continue;
      }
      inString = c != '"';
      if (c == '\n' || c == '\r' || c == '\t') // what a template left unescaped
        json.append(c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t");
      else if (static_cast<unsigned char>(c) < 0x20)
        json.push_back(' ');
      else
        json.push_back(c);
      continue;
    }
    if (c == ',') { // dropped when only blanks stand before the closing bracket
      const std::size_t next = text.find_first_not_of(base::kBlanks, i + 1);
      if (next != std::string_view::npos && (text[next] == '}' || text[next] == ']'))
        continue;
    }
    inString = c == '"';
    json.push_back(c);
  }
  return nlohmann::json::parse(json, nullptr, false, true);
}

} // namespace vidtrawl::pagesearch
