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
  std::string date;         // the answer's Date, as sent; empty when none came
  std::string etag;         // as sent, quotes and all; empty when none came
  std::string contentRange; // as sent; empty when none came
  Size sizeState = Size::Absent;
  double fileSize = -1;
  std::string remoteFileName;
  std::string remoteFileType;
  bool fileExists = true;
};

// Reads a raw header block (status line and header lines, each ended by
// CR LF). A header is found only at the start of a line, ignoring letter
// case, and the first such line counts; its value is taken as received,
// from right after its name up to the line's end. The file name is the one
// the Content-Disposition header offers, parsed (quotes and other
// parameters are not part of it). The block ends at its first NUL
// character. Never throws; any byte sequence is accepted.
HeaderFields ReadHeaderBlock(std::string_view block);

// Reads a header value as a size: blanks around it are ignored; a decimal
// integer or decimal fraction (optionally with an exponent) is a number;
// anything else, a sign or an empty value included, is not.
std::optional<double> ReadSizeValue(std::string_view text);

// A Content-Length value: one size, or a list of equal sizes ("42, 42", as a
// proxy that joined two headers sends it); anything else is not a size.
std::optional<double> ReadSizeList(std::string_view text);

} // namespace vidtrawl::net
