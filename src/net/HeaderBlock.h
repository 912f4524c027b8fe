#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::net {

// What the raw header block of a response says about the resource, in the
// form the transfer component's properties take.
struct HeaderFields {
  enum class Size {
    Absent,    // no "content-length: " key: the size is unknown (-1)
    Number,    // fileSize holds the value
    NotANumber // the value cannot be read as a size
  };

  std::string lastModified = "Not Available";
  Size sizeState = Size::Absent;
  double fileSize = -1;
  std::string remoteFileName;
  std::string remoteFileType;
  bool fileExists = true;
};

// Reads a raw header block (status line and header lines, each ended by
// CR LF). Keys are looked for anywhere in the block, ignoring letter case; a
// value is taken as received, from right after its key up to the next CR LF
// (or the end of the block). The block ends at its first NUL character.
// Never throws; any byte sequence is accepted.
HeaderFields ReadHeaderBlock(std::string_view block);

// Reads a header value as a size: blanks around it are ignored; a decimal
// integer or decimal fraction (optionally with an exponent) is a number;
// anything else, a sign or an empty value included, is not.
std::optional<double> ReadSizeValue(std::string_view text);

} // namespace vidtrawl::net
