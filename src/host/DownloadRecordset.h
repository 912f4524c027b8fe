#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::host {

// The first `characters` characters of a UTF-8 text (the whole text when it
// is shorter); a multi-byte character is never split.
std::string_view FirstCharacters(std::string_view text, std::size_t characters);

// The in-memory table the grid shows: one record per download item, five
// fields in a fixed order. A text longer than its field's width is cut to
// that width when it is set (never an error); the item store keeps it whole.
class DownloadRecordset {
public:
  enum Field : int { ID = 0, Video_URL = 1, FileName = 2, Status = 3, FileSize = 4 };
  static constexpr int kFieldCount = 5;

  enum class FieldType { Integer, VarChar };
  struct FieldInfo {
    std::string_view name;
    FieldType type;
    std::size_t width; // characters; 0 for the integer field
  };
  static constexpr std::array<FieldInfo, kFieldCount> kFields{{
      {"ID", FieldType::Integer, 0},
      {"Video_URL", FieldType::VarChar, 220},
      {"FileName", FieldType::VarChar, 100},
      {"Status", FieldType::VarChar, 120},
      {"FileSize", FieldType::VarChar, 10},
  }};

  struct Record {
    int ID = 0;
    std::string Video_URL;
    std::string FileName;
    std::string Status;
    std::string FileSize;
  };

  void Reserve(std::size_t records) { records_.reserve(records); }

  // Appends an empty record and makes it the current one.
  void AddNew();
  // Set a field of the current record. Without a current record nothing changes.
  void SetID(int id);
  void SetText(Field field, std::string_view text);

  // Makes the first record the current one (none when there is no record).
  void MoveFirst() { position_ = 0; }
  // Makes the record at this index the current one.
  void Move(std::size_t index) { position_ = index; }
  std::size_t Position() const { return position_; }

  std::size_t RecordCount() const { return records_.size(); }
  const Record &operator[](std::size_t index) const { return records_[index]; }
  // A field as text (the ID in decimal); empty for an unknown record or field.
  std::string Text(std::size_t index, int field) const;

private:
  std::vector<Record> records_;
  std::size_t position_ = 0;
};

} // namespace vidtrawl::host
