#pragma once

#include "base/Outcome.h"
#include "media/Remuxer.h"
#include "net/PartialFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidtrawl::media {

// Where a stream's fragments wait until its file is made of them: one partial file of the
// program's ("NAME.segments.vidtrawl-part", beside the item's own), each fragment written
// where room was made for it when its answer began, so in the order the fragments arrived and
// not the stream's, and a table of which lies where noted with the file. A stopped download
// takes the file up again and fetches only the fragments it lacks; the table belongs to one
// plan of fragments (its identity, noted as the file's version), and a file of another plan
// starts empty.
//
// A track's parts are numbered in stream order: its init fragment first, when it has one.
class FragmentStore {
public:
  static constexpr const char *kSuffix = ".segments";
  enum class Track { Video, Audio };

  // Claims the store for the item whose partial file is `target`'s, for the stream at
  // `source` of the plan `identity`; the fault says why it cannot be had.
  static base::Outcome<FragmentStore> Open(const std::string &target, const std::string &source,
                                           const std::string &identity);

  bool Has(Track track, std::size_t part) const;
  // Room for `length` bytes; where they go.
  std::uint64_t Reserve(std::uint64_t length);
  bool Write(std::uint64_t offset, const char *data, std::size_t size);
  std::optional<base::Fault> WriteFault() const { return file_.WriteFault(); }
  // The part is whole where it was written: noted. False when the note could not be kept (the
  // part is still counted for this run).
  bool Stored(Track track, std::size_t part, std::uint64_t offset, std::uint64_t length);
  // The bytes of the parts that are whole.
  std::uint64_t Bytes() const { return bytes_; }
  // The track's source for the remuxer, once its `parts` are all whole.
  TrackSource Source(Track track, std::size_t parts) const;

  // The stream's file is made: its fragments go.
  void Discard() { file_.Discard(); }
  // The store `target`'s item left for the stream at `source`, when there is one: the item is
  // gone, and its fragments go with it.
  static void Remove(const std::string &target, const std::string &source);

private:
  // Parts [first, first + count) of a track, one after the other at `offset`.
  struct Run {
    Track track = Track::Video;
    std::size_t first = 0;
    std::size_t count = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
  };
  FragmentStore(net::PartialFile file, std::vector<Run> runs);
  std::string Table() const;
  static std::vector<Run> ReadTable(const std::string &table, std::uint64_t fileLength);

  net::PartialFile file_;
  std::vector<Run> runs_;
  std::uint64_t end_ = 0;
  std::uint64_t bytes_ = 0;
};

} // namespace vidtrawl::media
