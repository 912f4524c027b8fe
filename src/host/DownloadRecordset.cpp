#include "host/DownloadRecordset.h"

namespace vidtrawl::host {

std::string_view FirstCharacters(std::string_view text, std::size_t characters) {
  if (text.size() <= characters)
    return text; // a character takes at least one byte
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80)
      continue; // continuation byte: part of the character before
    if (seen == characters)
      return text.substr(0, i);
    ++seen;
  }
  return text;
}

void DownloadRecordset::AddNew() {
  records_.emplace_back();
  position_ = records_.size() - 1;
}

void DownloadRecordset::SetID(int id) {
  if (position_ < records_.size())
    records_[position_].ID = id;
}

void DownloadRecordset::SetText(Field field, std::string_view text) {
  if (position_ >= records_.size() || field <= ID || field >= kFieldCount)
    return;
  Record &record = records_[position_];
  const std::string_view cut = FirstCharacters(text, kFields[field].width);
  switch (field) {
  case Video_URL:
    record.Video_URL.assign(cut);
    break;
  case FileName:
    record.FileName.assign(cut);
    break;
  case Status:
    record.Status.assign(cut);
    break;
  case FileSize:
    record.FileSize.assign(cut);
    break;
  case ID:
    break;
  }
}

std::string DownloadRecordset::Text(std::size_t index, int field) const {
  if (index >= records_.size())
    return {};
  const Record &record = records_[index];
  switch (field) {
  case ID:
    return std::to_string(record.ID);
  case Video_URL:
    return record.Video_URL;
  case FileName:
    return record.FileName;
  case Status:
    return record.Status;
  case FileSize:
    return record.FileSize;
  default:
    return {};
  }
}

} // namespace vidtrawl::host
