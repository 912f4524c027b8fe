#include "host/DownloadRecordset.h"

#include <gtest/gtest.h>

#include <string>

using vidtrawl::host::DownloadRecordset;
using vidtrawl::host::FirstCharacters;

TEST(FirstCharacters, Table) {
  struct Case {
    std::string text;
    std::size_t n;
    std::string expected;
  };
  const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
  const Case cases[] = {
      {"", 3, ""},
      {"abc", 3, "abc"},
      {"abcd", 3, "abc"},
      {"abc", 0, ""},
      {e + e + e, 2, e + e},
      {"a" + euro + "b", 2, "a" + euro},
      {e + "b", 5, e + "b"},
      {"\x80\x80"
       "ab",
       1,
       "\x80\x80"
       "a"}, // stray continuation bytes stay with the text
  };
  for (const Case &c : cases)
    EXPECT_EQ(FirstCharacters(c.text, c.n), c.expected) << c.text << " " << c.n;
}

TEST(DownloadRecordset, FieldsInOrderWithTypesAndWidths) {
  const auto &f = DownloadRecordset::kFields;
  EXPECT_EQ(f[0].name, "ID");
  EXPECT_EQ(f[0].type, DownloadRecordset::FieldType::Integer);
  EXPECT_EQ(f[1].name, "Video_URL");
  EXPECT_EQ(f[1].width, 220u);
  EXPECT_EQ(f[2].name, "FileName");
  EXPECT_EQ(f[2].width, 100u);
  EXPECT_EQ(f[3].name, "Status");
  EXPECT_EQ(f[3].width, 120u);
  EXPECT_EQ(f[4].name, "FileSize");
  EXPECT_EQ(f[4].width, 10u);
  for (int i = 1; i < DownloadRecordset::kFieldCount; ++i)
    EXPECT_EQ(f[i].type, DownloadRecordset::FieldType::VarChar);
}

TEST(DownloadRecordset, AppendsAndSetsTheCurrentRecord) {
  DownloadRecordset rs;
  rs.SetID(9); // no record yet: nothing happens
  rs.SetText(DownloadRecordset::Status, "x");
  EXPECT_EQ(rs.RecordCount(), 0u);
  rs.AddNew();
  rs.SetID(1);
  rs.SetText(DownloadRecordset::Video_URL, std::string(230, 'u'));
  rs.SetText(DownloadRecordset::FileSize, "12345678901");
  rs.AddNew();
  rs.SetID(2);
  rs.SetText(DownloadRecordset::Status, "Waiting");
  EXPECT_EQ(rs.Text(0, 0), "1");
  EXPECT_EQ(rs.Text(0, 1), std::string(220, 'u'));
  EXPECT_EQ(rs.Text(0, 4), "1234567890");
  EXPECT_EQ(rs.Text(1, 0), "2");
  EXPECT_EQ(rs.Text(1, 3), "Waiting");
  EXPECT_EQ(rs.Text(1, 2), "");
  EXPECT_EQ(rs.Text(2, 0), "");
  EXPECT_EQ(rs.Text(0, 7), "");
  EXPECT_EQ(rs.Position(), 1u);
  rs.MoveFirst();
  EXPECT_EQ(rs.Position(), 0u);
  rs.SetText(DownloadRecordset::FileName, "first");
  EXPECT_EQ(rs[0].FileName, "first");
}
