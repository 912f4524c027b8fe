#pragma once

#include "base/Fault.h"
#include "base/Outcome.h"
#include "base/Trace.h"
#include "extractor/ExtractorQuery.h"
#include "extractor/FormatChoice.h"
#include "host/EventLoop.h"
#include "list/FileNaming.h"
#include "list/Item.h"
#include "net/FileCompletion.h"
#include "net/FileInfoRequest.h"
#include "net/PartialFile.h"
#include "net/RetryPolicy.h"
#include "scheduler/ItemTransfer.h"
#include "scheduler/JobHost.h"
#include "scheduler/RateMeter.h"
#include "sites/VideoLookup.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::list {
class DownloadList;
}

namespace vidtrawl::scheduler {

// What moves while a job works on an item: the front ends pull it on their own tick.
struct ItemRun {
  std::optional<int> pagePercent; // of the page's announced length, while it arrives
  TransferProgress progress;      // as the transfer last told it
  bool reported = false;          // the transfer told its progress at least once
  double bytesPerSecond = 0;      // over the last few seconds
  double transferSeconds = 0;     // since the job started
  // While a failed step waits to be tried again: when it will be.
  std::optional<RateMeter::Clock::time_point> retryAt;
};

// One item's download as a job on the event loop: its page resolved, its file asked about, its
// bytes received into a partial file of the folder by the downloader of its protocol, and the
// file completed under its name. The name is decided in list order (see Scheduler) while the
// bytes arrive; a file whose bytes are all in waits for it. Each step starts the next from its
// end. The job writes its item's record (through the list, its phase through SetPhase) and owns
// its run.
class ItemJob {
public:
  ItemJob(JobHost &host, list::DownloadList &items, list::Serial serial, base::Trace trace);
  ~ItemJob();
  ItemJob(const ItemJob &) = delete;
  ItemJob &operator=(const ItemJob &) = delete;

  list::Serial Serial() const { return serial_; }
  base::Phase Phase() const;
  // The name the file would have, before the other items are counted; and the one its partial
  // file has meanwhile.
  const std::string &Proposal() const { return proposed_; }
  const std::string &PartName() const { return partName_; }
  // What its file is known by, in its partial file and once complete: the address it comes from;
  // for a file of a site extractor's format, whose signed address expires, its page and format.
  std::string Source() const;
  bool Named() const { return named_; }

  const ItemRun &Run() const { return run_; }
  // Takes the run's figures at `now` (its speed); whether they moved since the last time.
  bool Sample(RateMeter::Clock::time_point now);

  void Start();
  // The earlier jobs have their names: this is the file's.
  void Name(const std::string &name);
  // The user named the file anew: a file being received takes that name when it is complete.
  void Renamed(const std::string &name);
  // Ends at once: the item gets `phase` (Cancelled, Paused or Waiting) for the reason given,
  // keeping the bytes received in its partial file.
  void Cancel(base::Phase phase, std::string_view why);
  // The item left the list: the job ends at once, and what it was writing goes.
  void Discard();

private:
  const list::Item &Record() const;
  void Enter(base::Phase phase, std::string_view why,
             const std::function<void(list::Item &)> &change = {});
  void Resolve();
  void Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome);
  // Whether the site extractor is asked after what the program's own rules found (or, with no
  // fault, before they look: an address of a video host); why it is, when it is.
  std::string ExtractorAsked(const base::Fault *fault) const;
  void AskExtractor(const std::string &why);
  void Extracted(base::Outcome<extractor::ExtractorAnswer> outcome);
  void Ask();
  void Asked(base::Outcome<net::RemoteFile> outcome);
  bool Streaming() const { return video_.protocol != pagesearch::VideoProtocol::File; }
  // A streaming playlist's video: named without a question to the server.
  void PlanStream();
  // The name the file is to have, once the server has said what it can.
  void Propose(const std::string &derived);
  // Whether the folder holds the file already; the item is complete then.
  bool FoundInFolder();
  // The file's name as the list keeps it: its path below the download folder.
  std::filesystem::path NameInFolder() const;
  bool FoundInFolder(const std::string &name);
  // A file of the extractor's format: the extension it names.
  std::string ExtractedExtension() const;
  // What the user's name template stands for, for this item.
  list::NameFields FieldsOf(const list::Item &item) const;
  void Receive();
  void Transfer();
  void Received(base::Outcome<scheduler::Received> outcome);
  void Complete();
  void Completed(std::optional<base::Fault> fault);
  void Fail(base::Fault fault, bool fileMissing = false);
  // A transient failure: the step that failed is tried again later, while the item has tries
  // left; whether it will be.
  bool Retry(const base::Fault &fault);
  // What the run leaves in the record.
  void Keep(list::Item &item) const;
  void End();
  void StopWork();

  JobHost &host_;
  list::DownloadList &items_;
  list::Serial serial_;
  base::Trace trace_;
  const sites::Site *site_ = nullptr;
  std::string page_;
  pagesearch::ResolvedVideo video_;
  net::RemoteFile remote_;
  std::string proposed_;
  std::string partName_;
  std::string source_; // what the partial file notes it is of (Source() when it was claimed)
  bool named_ = false;
  std::optional<scheduler::Received> received_; // every byte is in
  net::Requester requester_; // how its requests present themselves, and its trace
  std::unique_ptr<sites::VideoLookup> lookup_;
  std::unique_ptr<extractor::ExtractorQuery> query_;
  // What the site extractor said of the video, when it decided.
  std::optional<extractor::VideoInfo> extracted_;
  std::optional<extractor::FormatChoice> formats_;
  std::string ownFinding_; // why the extractor was asked after the program's own rules
  std::unique_ptr<net::FileInfoRequest> info_;
  std::optional<net::PartialFile> file_;
  std::unique_ptr<ItemTransfer> transfer_;
  std::unique_ptr<net::FileCompletion> completion_;
  ItemRun run_;
  bool moved_ = false; // the run changed since it was last sampled
  RateMeter rate_;
  RateMeter::Clock::time_point started_{};
  net::RetryPolicy retries_;
  host::Timer retry_;
};

} // namespace vidtrawl::scheduler
