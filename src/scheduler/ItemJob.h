#pragma once

#include "base/Fault.h"
#include "base/Outcome.h"
#include "host/EventLoop.h"
#include "list/FileNaming.h"
#include "list/Item.h"
#include "media/StreamDownload.h"
#include "net/Download.h"
#include "net/FileInfoRequest.h"
#include "net/PartialFile.h"
#include "scheduler/RateMeter.h"
#include "sites/VideoLookup.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace vidtrawl::scheduler {

class Scheduler;

// One item's download as a job on the event loop: its page resolved, its
// file asked about, its bytes received into a partial file of the folder,
// and the file completed under its name. The name is decided in list order
// (see Scheduler) while the bytes arrive; a file whose bytes are all in
// waits for it. Each step starts the next from its end; the item's state in
// the list tells how far it is.
class ItemJob {
public:
  enum class Stage {
    Resolving, // the page is fetched and read
    Asking,    // the header request is on its way
    Receiving, // the file's bytes arrive
    Received,  // they are all in; the file waits for its name
    Ended,
  };

  ItemJob(Scheduler &scheduler, list::Serial serial);
  ItemJob(const ItemJob &) = delete;
  ItemJob &operator=(const ItemJob &) = delete;

  list::Serial Serial() const { return serial_; }
  Stage CurrentStage() const { return stage_; }
  // The name the file would have, before the other items are counted; and
  // the one its partial file has meanwhile.
  const std::string &Proposal() const { return proposed_; }
  const std::string &PartName() const { return partName_; }
  // The address its file comes from.
  const std::string &Source() const { return video_.address; }
  bool Named() const { return named_; }

  void Start();
  // The earlier jobs have their names: this is the file's.
  void Name(const std::string &name);
  // The user named the file anew: a file being received takes that name
  // when it is complete.
  void Renamed(const std::string &name);
  // Ends at once: the item gets `phase` (Cancelled or Paused), keeping the
  // bytes received in its partial file.
  void Cancel(list::Phase phase);
  // The item left the list: the job ends at once, and the partial file it
  // was writing goes.
  void Discard();

private:
  void Resolve();
  void Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome);
  void Ask();
  void Asked(base::Outcome<net::RemoteFile> outcome);
  bool Streaming() const { return video_.protocol != pagesearch::VideoProtocol::File; }
  // A streaming playlist's video: named without a question to the server.
  void PlanStream();
  // The name the file is to have, once the server has said what it can.
  void Propose(const std::string &derived);
  // Whether the folder holds the file already; the item is complete then.
  bool FoundInFolder();
  bool FoundInFolder(const std::string &name);
  // What the user's name template stands for, for this item.
  list::NameFields FieldsOf(const list::Item &item) const;
  void Receive();
  void Transfer();
  void Progress(std::uint64_t received, std::uint64_t announced);
  void Received(base::Outcome<std::uint64_t> outcome);
  void StreamProgress(const media::StreamProgress &progress);
  void Joined(base::Outcome<media::JoinedStream> outcome);
  void Complete();
  void Fail(base::Fault fault, bool fileMissing = false);
  // A transient failure: the step that failed is tried again later, while
  // the item has tries left; whether it will be.
  bool Retry(const base::Fault &fault);
  void End();
  void StopWork();

  Scheduler &scheduler_;
  list::Serial serial_;
  Stage stage_ = Stage::Resolving;
  const sites::Site *site_ = nullptr;
  std::string page_;
  pagesearch::ResolvedVideo video_;
  net::RemoteFile remote_;
  std::string proposed_;
  std::string partName_;
  bool named_ = false;
  std::uint64_t bytes_ = 0;
  std::unique_ptr<sites::VideoLookup> lookup_;
  std::unique_ptr<net::FileInfoRequest> info_;
  std::optional<net::PartialFile> file_;
  std::unique_ptr<net::Download> transfer_;
  std::unique_ptr<media::StreamDownload> stream_;
  RateMeter rate_;
  host::Timer retry_;
  std::size_t fragments_ = 0; // a stream's, in all and whole
  std::size_t fragmentsStored_ = 0;
  int failures_ = 0;                     // transient failures in a row
  std::uint64_t failedAt_ = 0;           // the bytes the file had at the last one
  RateMeter::Clock::time_point shown_{}; // when the item last showed its bytes
};

} // namespace vidtrawl::scheduler
