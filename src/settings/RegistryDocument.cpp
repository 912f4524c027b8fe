#include "settings/RegistryDocument.h"

#include "base/AsciiCase.h"

#include <algorithm>

namespace vidtrawl::settings {

namespace {

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r')
    line.remove_suffix(1);
  return line;
}

} // namespace

std::string RegistryDocument::Escape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string RegistryDocument::Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[i + 1];
    if (next == '\\')
      out += '\\';
    else if (next == 'r')
      out += '\r';
    else if (next == 'n')
      out += '\n';
    else {
      // Not one of ours (edited by hand): keep it as it stands.
      out += '\\';
      out += next;
    }
    ++i;
  }
  return out;
}

RegistryDocument::Line RegistryDocument::Classify(std::string raw) {
  Line line;
  std::string_view text = WithoutCarriageReturn(raw);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
    line.kind = Kind::Section;
    line.name = std::string(text.substr(1, text.size() - 2));
  } else if (std::size_t eq = text.find('='); eq != std::string_view::npos && eq > 0) {
    line.kind = Kind::Value;
    line.name = std::string(text.substr(0, eq));
  }
  line.raw = std::move(raw);
  return line;
}

RegistryDocument RegistryDocument::Parse(std::string_view text) {
  RegistryDocument doc;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      doc.lines_.push_back(Classify(std::string(text.substr(start))));
      doc.finalNewline_ = false;
      break;
    }
    doc.lines_.push_back(Classify(std::string(text.substr(start, end - start))));
    start = end + 1;
  }
  return doc;
}

std::string RegistryDocument::Text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].raw;
    if (i + 1 < lines_.size() || finalNewline_)
      out += '\n';
  }
  return out;
}

bool RegistryDocument::IsSection(std::size_t index, std::string_view key) const {
  return lines_[index].kind == Kind::Section && base::EqualsIgnoringCase(lines_[index].name, key);
}

std::size_t RegistryDocument::SectionEnd(std::size_t header) const {
  std::size_t end = header + 1;
  while (end < lines_.size() && lines_[end].kind != Kind::Section)
    ++end;
  return end;
}

bool RegistryDocument::HasKey(std::string_view key) const {
  if (key.find('\\') == std::string_view::npos)
    return true;
  // A key exists with its own section, or as the parent of one.
  std::string below = std::string(key) + "\\";
  for (const Line &line : lines_)
    if (line.kind == Kind::Section && (base::EqualsIgnoringCase(line.name, key) ||
                                       base::StartsWithIgnoringCase(line.name, below)))
      return true;
  return false;
}

void RegistryDocument::AppendSection(std::string_view key) {
  if (!lines_.empty() && !WithoutCarriageReturn(lines_.back().raw).empty())
    lines_.push_back(Classify(""));
  lines_.push_back(Classify("[" + std::string(key) + "]"));
  finalNewline_ = true;
}

void RegistryDocument::CreateKey(std::string_view key) {
  for (std::size_t sep = key.find('\\'); sep != std::string_view::npos;
       sep = key.find('\\', sep + 1)) {
    std::size_t next = key.find('\\', sep + 1);
    std::string_view level = key.substr(0, next);
    if (!HasKey(level))
      AppendSection(level);
  }
}

std::optional<std::size_t> RegistryDocument::FindValue(std::string_view key,
                                                       std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (!IsSection(i, key))
      continue;
    std::size_t end = SectionEnd(i);
    for (std::size_t j = i + 1; j < end; ++j)
      if (lines_[j].kind == Kind::Value && base::EqualsIgnoringCase(lines_[j].name, name))
        return j;
  }
  return std::nullopt;
}

std::optional<std::string> RegistryDocument::Value(std::string_view key,
                                                   std::string_view name) const {
  std::optional<std::size_t> at = FindValue(key, name);
  if (!at)
    return std::nullopt;
  std::string_view text = WithoutCarriageReturn(lines_[*at].raw);
  return Unescape(text.substr(lines_[*at].name.size() + 1));
}

void RegistryDocument::SetValue(std::string_view key, std::string_view name,
                                std::string_view value) {
  if (std::optional<std::size_t> at = FindValue(key, name)) {
    Line &line = lines_[*at];
    line.raw = line.name + "=" + Escape(value);
    return;
  }
  std::size_t header = lines_.size();
  for (std::size_t i = 0; i < lines_.size() && header == lines_.size(); ++i)
    if (IsSection(i, key))
      header = i;
  if (header == lines_.size()) {
    AppendSection(key);
    header = lines_.size() - 1;
  }
  // After the key's last value, so that the lines that follow stay where they are.
  std::size_t end = SectionEnd(header);
  std::size_t at = header + 1;
  for (std::size_t j = header + 1; j < end; ++j)
    if (lines_[j].kind == Kind::Value)
      at = j + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                Classify(std::string(name) + "=" + Escape(value)));
  if (at == lines_.size() - 1)
    finalNewline_ = true;
}

} // namespace vidtrawl::settings
