#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::settings {

// The text of the settings file as a list of lines: "[KEY\PATH]" heads the
// section of one key, "name=value" is a value of the key above it (the
// default value is named "@"). Names and key paths match ignoring ASCII
// letter case and keep the case they were first written with.
//
// Lines that are neither (stray text, values before the first section) are
// ignored when reading and kept verbatim when the text is written back, as
// are all lines that were not changed: a file that was edited by hand or
// damaged loses nothing that could not be understood.
class RegistryDocument {
public:
  static RegistryDocument Parse(std::string_view text);
  std::string Text() const;

  // Key paths are full paths with the root first: "HKEY_CURRENT_USER\A\B".
  // A root (a path without separator) always exists, and so does every key
  // above one that has a section.
  bool HasKey(std::string_view key) const;
  // Creates the key and every missing key above it.
  void CreateKey(std::string_view key);

  std::optional<std::string> Value(std::string_view key, std::string_view name) const;
  // Creates the key's section when needed (the key itself must be valid).
  void SetValue(std::string_view key, std::string_view name, std::string_view value);

  // Value texts in the file: backslash, CR and LF as "\\", "\r", "\n".
  static std::string Escape(std::string_view value);
  static std::string Unescape(std::string_view text);

private:
  enum class Kind { Other, Section, Value };
  struct Line {
    std::string raw; // the line as it stands in the file, without its LF
    Kind kind = Kind::Other;
    std::string name; // section: key path; value: value name
  };

  static Line Classify(std::string raw);
  bool IsSection(std::size_t index, std::string_view key) const;
  std::size_t SectionEnd(std::size_t header) const;
  std::optional<std::size_t> FindValue(std::string_view key, std::string_view name) const;
  void AppendSection(std::string_view key);

  std::vector<Line> lines_;
  bool finalNewline_ = true;
};

} // namespace vidtrawl::settings
