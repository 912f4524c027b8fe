#pragma once

#include "base/FileDescriptor.h"
#include "base/Outcome.h"
#include "media/FragmentTable.h"
#include "media/Remuxer.h"
#include "net/PartialFile.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::media {

// Where a stream's fragments wait until its file is made of them: one partial file of the
// program's ("NAME.segments.vidtrawl-part", beside the item's own), each fragment written
// where room was made for it when its answer began, so in the order the fragments arrived and
// not the stream's, and notes of which lies where in a file beside it
// ("NAME.segments.vidtrawl-part.fragments"). The notes are a log, one line appended for each
// fragment made whole, at once: a stop or a kill loses none, and a fragment costs the same
// however many came before. Where a fragment cut short stands (its room, its bytes, the
// version of the resource they are of) is noted too, as often as its fetcher says (a few times
// a second), so that its rest alone is asked for. Reading merges the lines: the last word on a
// fragment counts. A stopped download takes the store up again and fetches only what it lacks;
// the notes belong to one plan of fragments (its identity, noted as the file's version) and to
// that very file, and a store of another plan starts empty. A note that cannot be written is a
// fault: the download does not go on with notes it cannot keep.
//
// A track's parts are numbered in stream order: its init fragment first, when it has one.
class FragmentStore {
public:
  static constexpr const char *kSuffix = ".segments";
  static constexpr const char *kNotesSuffix = ".fragments";
  using Track = FragmentTrack;
  using Cut = FragmentCut;

  // Claims the store for the item whose partial file is `target`'s, for the stream at `source`
  // of the plan `identity`, whose tracks have `parts` parts (video, audio); the fault says why
  // it cannot be had.
  static base::Outcome<FragmentStore> Open(const std::string &target, const std::string &source,
                                           const std::string &identity,
                                           std::array<std::size_t, 2> parts);
  FragmentStore(FragmentStore &&) = default;
  FragmentStore &operator=(FragmentStore &&) = delete;
  ~FragmentStore();

  bool Has(Track track, std::size_t part) const { return table_.Has(track, part); }
  // The bytes of a whole part; 0 for one that is not.
  std::uint64_t Length(Track track, std::size_t part) const { return table_.Length(track, part); }
  // The part's beginning, when the store holds one.
  std::optional<Cut> CutShort(Track track, std::size_t part) const {
    return table_.CutShort(track, part);
  }

  // Room for `length` bytes; where they go.
  std::uint64_t Reserve(std::uint64_t length) { return table_.Reserve(length); }
  bool Write(std::uint64_t offset, const char *data, std::size_t size) {
    return file_.WriteAt(offset, data, size);
  }
  // The first fault of the file's bytes or of the notes.
  std::optional<base::Fault> WriteFault();
  // Bytes or notes handed in wait to be written: the file is read once they are not.
  bool Writing() { return file_.Writing(); }
  // Enough bytes wait for the disk that a fetch should hold back.
  bool Backlogged() { return file_.Backlogged(); }
  void TellRoom(std::function<void()> told) { file_.TellRoom(std::move(told)); }
  // Notes where a part being received stands; a cut of no bytes notes nothing.
  std::optional<base::Fault> NoteCut(Track track, std::size_t part, const Cut &cut);
  // Forgets a part's beginning: its resource is no longer what the bytes are of.
  void DropCut(Track track, std::size_t part) { table_.DropCut(track, part); }
  // The part is whole where it was written: noted at once.
  std::optional<base::Fault> Stored(Track track, std::size_t part, std::uint64_t offset,
                                    std::uint64_t length);
  // The bytes of the parts that are whole, and of the beginnings held.
  std::uint64_t Bytes() const { return table_.Bytes(); }
  std::uint64_t CutBytes() const { return table_.CutBytes(); }
  // The track's source for the remuxer, once its `parts` are all whole.
  TrackSource Source(Track track, std::size_t parts) const;

  // The stream's file is made: its fragments and their notes go.
  void Discard();
  // The store `target`'s item left for the stream at `source`, when there is one: the item is
  // gone, and its fragments go with it.
  static void Remove(const std::string &target, const std::string &source);

private:
  FragmentStore(net::PartialFile file, std::array<std::size_t, 2> parts);
  // Reads the notes the file's version promises; false when they are not this file's.
  bool ReadNotes(const std::string &header);
  std::optional<base::Fault> StartNotes(const std::string &header);
  std::optional<base::Fault> Note(const std::string &line);
  std::string NotesPath() const { return file_.Path() + kNotesSuffix; }

  net::PartialFile file_;
  // Written by the file's writer, after the bytes each note speaks for: it holds the notes open
  // until its last note is written, and keeps the errno of a note it could not write.
  std::shared_ptr<base::FileDescriptor> notes_;
  std::shared_ptr<std::atomic<int>> noteError_ = std::make_shared<std::atomic<int>>(0);
  std::array<std::size_t, 2> parts_;
  FragmentTable table_;
};

} // namespace vidtrawl::media
