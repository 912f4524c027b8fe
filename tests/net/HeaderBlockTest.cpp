#include "net/HeaderBlock.h"
#include "net/ContentDisposition.h"
#include "net/RawHeaderBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vidtrawl::net::FileNameOfContentDisposition;
using vidtrawl::net::HeaderFields;
using vidtrawl::net::RawHeaderBlock;
using vidtrawl::net::ReadHeaderBlock;
using vidtrawl::net::ReadSizeValue;

namespace {

struct BlockCase {
  const char *name;
  std::string block;
  std::string lastModified;
  HeaderFields::Size sizeState;
  double fileSize;
  std::string remoteFileName;
  std::string remoteFileType;
  bool fileExists;
};

using Size = HeaderFields::Size;

} // namespace

TEST(ReadHeaderBlock, ReadsEachKeyAsReceived) {
  const std::vector<BlockCase> cases = {
      {"all keys",
       "HTTP/1.1 200 OK\r\nLast-Modified: Wed, 21 Oct 2015 07:28:00 GMT\r\n"
       "Content-Length: 1234\r\nContent-Type: video/x-flv\r\n"
       "Content-Disposition: attachment; filename=\"clip.flv\"; size=3\r\n",
       "Wed, 21 Oct 2015 07:28:00 GMT", Size::Number, 1234, "clip.flv", "x-flv", true},
      {"no keys", "HTTP/1.1 200 OK\r\nServer: x\r\n", "Not Available", Size::Absent, -1, "", "",
       true},
      {"zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", "Not Available", Size::Number, 0,
       "", "", true},
      {"charset kept", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n",
       "Not Available", Size::Absent, -1, "", "html; charset=UTF-8", true},
      {"type without slash", "HTTP/1.1 200 OK\r\nContent-Type: weird\r\n", "Not Available",
       Size::Absent, -1, "", "weird", true},
      {"odd letter case",
       "HTTP/1.1 200 OK\r\nLAST-modified: Today\r\ncOnTeNt-LeNgTh: 77\r\n"
       "CONTENT-TYPE: Video/MP4\r\ncontent-DISPOSITION: X; FILENAME=A.FLV\r\n",
       "Today", Size::Number, 77, "A.FLV", "MP4", true},
      {"keys without the space",
       "HTTP/1.1 200 OK\r\nLast-Modified:Today\r\nContent-Length:77\r\n"
       "Content-Type:video/mp4\r\n",
       "Not Available", Size::Absent, -1, "", "", true},
      {"404 not found", "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n", "Not Available",
       Size::Number, 9, "", "", false},
      {"404 file not found", "HTTP/1.1 404 File Not Found\r\n", "Not Available", Size::Absent, -1,
       "", "", false},
      {"other 404 text exists", "HTTP/1.1 404 Gone\r\n", "Not Available", Size::Absent, -1, "", "",
       true},
      {"500 exists", "HTTP/1.1 500 Internal Server Error\r\n", "Not Available", Size::Absent, -1,
       "", "", true},
      {"http/1.0 404 exists", "HTTP/1.0 404 Not Found\r\n", "Not Available", Size::Absent, -1, "",
       "", true},
      {"fractional size", "HTTP/1.1 200 OK\r\nContent-Length:  12.5 \r\n", "Not Available",
       Size::Number, 12.5, "", "", true},
      {"non-numeric size", "HTTP/1.1 200 OK\r\nLast-Modified: X\r\nContent-Length: 12abc\r\n", "X",
       Size::NotANumber, -1, "", "", true},
      {"negative size", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n", "Not Available",
       Size::NotANumber, -1, "", "", true},
      {"empty size", "HTTP/1.1 200 OK\r\nContent-Length: \r\n", "Not Available", Size::NotANumber,
       -1, "", "", true},
      {"value without line end", "HTTP/1.1 200 OK\r\nContent-Type: a/b", "Not Available",
       Size::Absent, -1, "", "b", true},
      {"stops at NUL", std::string("HTTP/1.1 200 OK\r\n\0Content-Length: 5\r\n", 37),
       "Not Available", Size::Absent, -1, "", "", true},
      {"names inside other names or values",
       "HTTP/1.1 200 OK\r\nX-Orig-Content-Length: 99999999\r\nX-Last-Modified: then\r\n"
       "X-Content-Type: a/b\r\nX: filename=evil; HTTP/1.1 404 Not Found\r\n",
       "Not Available", Size::Absent, -1, "", "", true},
      {"first occurrence wins", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n",
       "Not Available", Size::Number, 1, "", "", true},
  };
  for (const BlockCase &c : cases) {
    SCOPED_TRACE(c.name);
    const HeaderFields fields = ReadHeaderBlock(c.block);
    EXPECT_EQ(fields.lastModified, c.lastModified);
    EXPECT_EQ(fields.sizeState, c.sizeState);
    if (c.sizeState == Size::Number) {
      EXPECT_DOUBLE_EQ(fields.fileSize, c.fileSize);
    }
    EXPECT_EQ(fields.remoteFileName, c.remoteFileName);
    EXPECT_EQ(fields.remoteFileType, c.remoteFileType);
    EXPECT_EQ(fields.fileExists, c.fileExists);
  }
}

TEST(ContentDisposition, OffersTheNameAloneWhateverItsForm) {
  const std::string longName = std::string(60, 'a') + "\xc3\xa9" + ".flv";
  const std::pair<std::string, std::string> cases[] = {
      {"attachment; filename=\"a b.flv\"", "a b.flv"},
      {"attachment; filename=a.flv; size=1000", "a.flv"},
      {"attachment; filename=\"a;b=\\\"c\\\".flv\"; size=1", "a;b=\"c\".flv"},
      {"inline;FILENAME = plain name.flv ", "plain name.flv"},
      {"filename=first.flv; filename=second.flv", "first.flv"},
      {"attachment; filename=\"" + longName + "\"", longName},
      {"attachment; filename=fallback.flv; filename*=UTF-8''%e2%82%ac%20rates.flv",
       "\xe2\x82\xac rates.flv"},
      {"attachment; filename*=iso-8859-1'en'caf%E9.flv", "caf\xc3\xa9.flv"},
      {"attachment; filename*=KOI8-R''x.flv; filename=y.flv", "y.flv"},
      {"attachment; name=\"field\"", ""},
      {"attachment; filename=\"unterminated", "unterminated"},
      {"", ""},
      {";;;==;", ""},
  };
  for (const auto &[value, name] : cases)
    EXPECT_EQ(FileNameOfContentDisposition(value), name) << value;
}

TEST(ReadSizeValue, AcceptsDecimalNumbersOnly) {
  const std::pair<const char *, double> numbers[] = {
      {"0", 0},      {"123", 123},  {"  42\t", 42},
      {"1.5", 1.5},  {".5", 0.5},   {"7.", 7},
      {"1e3", 1000}, {"2E+2", 200}, {"4294967296", 4294967296.0},
      {"000012", 12}};
  for (const auto &[text, value] : numbers) {
    const auto read = ReadSizeValue(text);
    ASSERT_TRUE(read.has_value()) << text;
    EXPECT_DOUBLE_EQ(*read, value) << text;
  }
  const char *notNumbers[] = {"",  "  ", "-1", "+1",  "abc",   "12abc", "1 2", "0x10",
                              ".", "e5", "1e", "1e+", "1e999", "nan",   "inf", "1,000"};
  for (const char *text : notNumbers)
    EXPECT_FALSE(ReadSizeValue(text).has_value()) << text;
}

TEST(RawHeaderBlock, KeepsOnlyTheFinalResponseWithCrLfLineEnds) {
  RawHeaderBlock block(1024);
  block.AddLine("HTTP/1.1 301 Moved\r\n");
  block.AddLine("Location: /elsewhere\r\n");
  block.AddLine("\r\n");
  EXPECT_EQ(block.Status(), 301);
  EXPECT_TRUE(block.HasLocation());
  EXPECT_TRUE(block.Ended());
  block.AddLine("HTTP/1.1 200 OK\n");
  block.AddLine("Content-Length: 5\n");
  EXPECT_FALSE(block.Ended());
  block.AddLine("X-Last: no line end");
  block.AddLine("\n");
  EXPECT_EQ(block.Block(), "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nX-Last: no line end\r\n");
  EXPECT_EQ(block.Status(), 200);
  EXPECT_FALSE(block.HasLocation());
  EXPECT_TRUE(block.Ended());
}

TEST(RawHeaderBlock, OverflowsBeyondTheLimitUntilTheNextResponse) {
  RawHeaderBlock block(64);
  block.AddLine("HTTP/1.1 200 OK\r\n");
  block.AddLine("X-Pad: " + std::string(60, 'a') + "\r\n");
  EXPECT_TRUE(block.Overflowed());
  EXPECT_TRUE(block.Block().empty());
  block.AddLine("Content-Length: 5\r\n");
  EXPECT_TRUE(block.Overflowed());
  block.AddLine("HTTP/1.1 200 OK\r\n");
  EXPECT_FALSE(block.Overflowed());
  // Exactly at the limit still fits.
  block.AddLine("X: " + std::string(64 - 17 - 5, 'b') + "\r\n");
  EXPECT_FALSE(block.Overflowed());
  EXPECT_EQ(block.Block().size(), 64u);
}

TEST(RawHeaderBlock, UnreadableStatusIsZero) {
  const char *lines[] = {"HTTP/1.1\r\n", "HTTP/1.1 2x0 OK\r\n", "HTTP/1.1 20\r\n", "HTTP/"};
  for (const char *line : lines) {
    RawHeaderBlock block(1024);
    block.AddLine(line);
    EXPECT_EQ(block.Status(), 0) << line;
  }
}
