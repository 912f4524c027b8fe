#include "media/FragmentTable.h"

#include "base/NumberScan.h"

#include <algorithm>

namespace vidtrawl::media {
namespace {

char Letter(FragmentTrack track) {
  return track == FragmentTrack::Video ? 'v' : 'a';
}

} // namespace

FragmentTable::FragmentTable(std::array<std::size_t, 2> parts, std::uint64_t fileSize)
    : fileSize_(fileSize), end_(fileSize) {
  for (std::size_t track = 0; track < 2; ++track)
    slots_[track].resize(parts[track]);
}

void FragmentTable::Take(std::string_view line) {
  if (std::any_of(line.begin(), line.end(), [](char c) { return c >= 0 && c < ' '; }))
    return; // a line a kill cut off, or no line of the program's
  if (line.size() < 5 || line[1] != ' ' || (line[2] != 'v' && line[2] != 'a') || line[3] != ' ')
    return;
  const std::size_t fields = std::count(line.begin(), line.end(), ' ');
  const Track track = line[2] == 'v' ? Track::Video : Track::Audio;
  std::size_t at = 4;
  const auto next = [&]() -> std::optional<std::uint64_t> {
    if (at > line.size())
      return std::nullopt; // a line of too few fields
    const std::size_t space = std::min(line.find(' ', at), line.size());
    const std::string_view word = line.substr(at, space - at);
    at = space + 1;
    return base::AllDigits(word) ? base::ParseInteger<std::uint64_t>(word) : std::nullopt;
  };
  const auto part = next(), offset = next(), length = next();
  std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  if (!part || !offset || !length || *part >= slots.size() || *offset > fileSize_ ||
      *length > UINT64_MAX - *offset || slots[*part].stored)
    return;
  if (line[0] == 's' && fields == 4 && *length <= fileSize_ - *offset) {
    Store(track, *part, *offset, *length);
  } else if (line[0] == 'c' && fields >= 6) {
    const std::optional<std::uint64_t> taken = next();
    if (!taken || *taken > *length || *taken > fileSize_ - *offset || at >= line.size())
      return;
    if (*taken == 0)
      DropCut(track, *part);
    else
      SetCut(track, *part, {*offset, *length, *taken, std::string(line.substr(at))});
  }
}

std::string FragmentTable::StoredLine(Track track, std::size_t part, std::uint64_t offset,
                                      std::uint64_t length) {
  return std::string("s ") + Letter(track) + ' ' + std::to_string(part) + ' ' +
         std::to_string(offset) + ' ' + std::to_string(length) + '\n';
}

std::string FragmentTable::CutLine(Track track, std::size_t part, const Cut &cut) {
  return std::string("c ") + Letter(track) + ' ' + std::to_string(part) + ' ' +
         std::to_string(cut.offset) + ' ' + std::to_string(cut.length) + ' ' +
         std::to_string(cut.taken) + ' ' + cut.validator + '\n';
}

bool FragmentTable::Has(Track track, std::size_t part) const {
  const std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  return part < slots.size() && slots[part].stored;
}

std::uint64_t FragmentTable::Length(Track track, std::size_t part) const {
  return Has(track, part) ? slots_[static_cast<std::size_t>(track)][part].length : 0;
}

std::optional<FragmentCut> FragmentTable::CutShort(Track track, std::size_t part) const {
  const auto found = cuts_.find(KeyOf(track, part));
  return found == cuts_.end() ? std::nullopt : std::optional<Cut>(found->second);
}

std::uint64_t FragmentTable::Reserve(std::uint64_t length) {
  const std::uint64_t offset = end_;
  end_ += length;
  return offset;
}

bool FragmentTable::Store(Track track, std::size_t part, std::uint64_t offset,
                          std::uint64_t length) {
  std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  if (part >= slots.size() || slots[part].stored)
    return false;
  slots[part] = {offset, length, true};
  bytes_ += length;
  cuts_.erase(KeyOf(track, part));
  end_ = std::max(end_, offset + length);
  return true;
}

void FragmentTable::SetCut(Track track, std::size_t part, const Cut &cut) {
  cuts_[KeyOf(track, part)] = cut;
  end_ = std::max(end_, cut.offset + cut.length); // its room stays its own
}

void FragmentTable::DropCut(Track track, std::size_t part) {
  cuts_.erase(KeyOf(track, part));
}

std::uint64_t FragmentTable::CutBytes() const {
  std::uint64_t bytes = 0;
  for (const auto &[key, cut] : cuts_)
    bytes += cut.taken;
  return bytes;
}

std::vector<FileSpan> FragmentTable::Spans(Track track, std::size_t parts) const {
  std::vector<FileSpan> spans;
  const std::vector<Slot> &slots = slots_[static_cast<std::size_t>(track)];
  for (std::size_t part = 0; part < std::min(parts, slots.size()); ++part)
    if (slots[part].stored && slots[part].length > 0)
      spans.push_back({slots[part].offset, slots[part].length});
  return spans;
}

} // namespace vidtrawl::media
