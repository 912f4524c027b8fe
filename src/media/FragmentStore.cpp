#include "media/FragmentStore.h"

#include "base/NumberScan.h"

#include <algorithm>
#include <sstream>

namespace vidtrawl::media {
namespace {

char TrackLetter(FragmentStore::Track track) {
  return track == FragmentStore::Track::Video ? 'v' : 'a';
}

} // namespace

base::Outcome<FragmentStore> FragmentStore::Open(const std::string &target,
                                                 const std::string &source,
                                                 const std::string &identity) {
  base::Outcome<net::PartialFile> claimed = net::PartialFile::Claim(target + kSuffix, source);
  if (claimed.Failed())
    return claimed.Failure();
  net::PartialFile file = std::move(claimed.Value());
  std::vector<Run> runs;
  if (file.Version() == identity) {
    runs = ReadTable(file.Segments(), file.Offset());
  } else {
    if (file.Offset() > 0)
      if (std::optional<base::Fault> fault = file.Restart())
        return *fault;
    file.SetVersion(identity);
  }
  return FragmentStore(std::move(file), std::move(runs));
}

void FragmentStore::Remove(const std::string &target, const std::string &source) {
  net::PartialFile::Remove(target + kSuffix, source);
}

FragmentStore::FragmentStore(net::PartialFile file, std::vector<Run> runs)
    : file_(std::move(file)), runs_(std::move(runs)) {
  end_ = file_.Offset();
  for (const Run &run : runs_) {
    end_ = std::max(end_, run.offset + run.length);
    bytes_ += run.length;
  }
}

bool FragmentStore::Has(Track track, std::size_t part) const {
  return std::any_of(runs_.begin(), runs_.end(), [&](const Run &run) {
    return run.track == track && part >= run.first && part - run.first < run.count;
  });
}

std::uint64_t FragmentStore::Reserve(std::uint64_t length) {
  const std::uint64_t offset = end_;
  end_ += length;
  return offset;
}

bool FragmentStore::Write(std::uint64_t offset, const char *data, std::size_t size) {
  return file_.WriteAt(offset, data, size);
}

bool FragmentStore::Stored(Track track, std::size_t part, std::uint64_t offset,
                           std::uint64_t length) {
  bytes_ += length;
  // The part joins the run it continues (in the stream and in the file), and the run that
  // continues it joins the two.
  auto before = std::find_if(runs_.begin(), runs_.end(), [&](const Run &run) {
    return run.track == track && run.first + run.count == part && run.offset + run.length == offset;
  });
  if (before == runs_.end()) {
    runs_.push_back({track, part, 1, offset, length});
    before = runs_.end() - 1;
  } else {
    ++before->count;
    before->length += length;
  }
  const Run joined = *before;
  const auto after = std::find_if(runs_.begin(), runs_.end(), [&](const Run &run) {
    return run.track == track && run.first == joined.first + joined.count &&
           run.offset == joined.offset + joined.length;
  });
  if (after != runs_.end()) {
    before->count += after->count;
    before->length += after->length;
    runs_.erase(after);
  }
  return file_.SetSegments(Table());
}

TrackSource FragmentStore::Source(Track track, std::size_t parts) const {
  std::vector<Run> mine;
  std::copy_if(runs_.begin(), runs_.end(), std::back_inserter(mine),
               [&](const Run &run) { return run.track == track && run.first < parts; });
  std::sort(mine.begin(), mine.end(), [](const Run &a, const Run &b) { return a.first < b.first; });
  std::vector<FileSpan> spans;
  for (const Run &run : mine)
    if (run.length > 0)
      spans.push_back({run.offset, run.length});
  // A track of no bytes is no whole file: it reads as empty.
  return TrackSource(file_.Path(), spans.empty() ? std::vector<FileSpan>{{0, 0}} : spans);
}

std::string FragmentStore::Table() const {
  std::string table;
  for (const Run &run : runs_)
    table += std::string(1, TrackLetter(run.track)) + ' ' + std::to_string(run.first) + ' ' +
             std::to_string(run.count) + ' ' + std::to_string(run.offset) + ' ' +
             std::to_string(run.length) + '\n';
  return table;
}

std::vector<FragmentStore::Run> FragmentStore::ReadTable(const std::string &table,
                                                         std::uint64_t fileLength) {
  // A line that is no run, or a run outside the file or over another's parts, is dropped:
  // its parts are fetched again.
  std::vector<Run> runs;
  std::istringstream lines(table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string letter, first, count, offset, length;
    if (!(fields >> letter >> first >> count >> offset >> length) ||
        (letter != "v" && letter != "a"))
      continue;
    const auto f = base::ParseInteger<std::size_t>(first);
    const auto c = base::ParseInteger<std::size_t>(count);
    const auto o = base::ParseInteger<std::uint64_t>(offset);
    const auto l = base::ParseInteger<std::uint64_t>(length);
    if (!f || !c || !o || !l || *c == 0 || *f > SIZE_MAX - *c || *o > fileLength ||
        *l > fileLength - *o)
      continue;
    const Run run{letter == "v" ? Track::Video : Track::Audio, *f, *c, *o, *l};
    const bool overlaps = std::any_of(runs.begin(), runs.end(), [&](const Run &other) {
      return other.track == run.track && other.first < run.first + run.count &&
             run.first < other.first + other.count;
    });
    if (!overlaps)
      runs.push_back(run);
  }
  return runs;
}

} // namespace vidtrawl::media
