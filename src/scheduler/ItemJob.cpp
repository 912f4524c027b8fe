#include "scheduler/ItemJob.h"

#include "base/NameVariant.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "resolve/SiteTable.h"
#include "scheduler/Scheduler.h"

#include <cmath>

namespace vidtrawl::scheduler {
namespace {

namespace fs = std::filesystem;
using list::Item;
using list::Phase;

// The list shows a transfer's bytes this often; more often is only work.
constexpr std::chrono::milliseconds kShowInterval{100};
// A partial file's name is one of this many variants of the file's.
constexpr int kMaxVariants = 1000;

// Whether a Content-Type (after its "/") is a web page's.
bool IsWebPageType(const std::string &type) {
  return type.rfind("html", 0) == 0 || type.rfind("xhtml", 0) == 0;
}

} // namespace

ItemJob::ItemJob(Scheduler &scheduler, list::Serial serial)
    : scheduler_(scheduler), serial_(serial) {}

void ItemJob::Start() {
  const Item *item = scheduler_.items_.Find(serial_);
  page_ = item->address;
  site_ = item->site;
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = Phase::Preparing;
    it.folder = scheduler_.folder_.string();
    it.pagePercent = 0;
    it.pageRead = false;
    it.received = it.total = 0;
    it.bytesPerSecond = it.transferSeconds = 0;
    it.fault.reset();
  });
  Resolve();
}

void ItemJob::Resolve() {
  stage_ = Stage::Resolving;
  lookup_ = std::make_unique<resolve::VideoLookup>(
      scheduler_.session_, site_, page_,
      [this](std::uint64_t received, std::uint64_t announced) {
        scheduler_.items_.Update(serial_, [&](Item &it) {
          it.pagePercent =
              announced == 0
                  ? std::nullopt
                  : std::optional<int>(static_cast<int>(std::nearbyint(
                        static_cast<double>(received) * 100.0 / static_cast<double>(announced))));
        });
      },
      [this](base::Outcome<resolve::ResolvedVideo> outcome) { Resolved(std::move(outcome)); });
}

void ItemJob::Resolved(base::Outcome<resolve::ResolvedVideo> outcome) {
  if (outcome.Failed()) {
    Fail(outcome.Failure());
    return;
  }
  video_ = std::move(outcome.Value());
  scheduler_.items_.Update(serial_, [](Item &it) { it.pageRead = true; });
  Ask();
}

void ItemJob::Ask() {
  stage_ = Stage::Asking;
  info_ = std::make_unique<net::FileInfoRequest>(
      scheduler_.session_, video_.address,
      [this](base::Outcome<net::RemoteFile> outcome) { Asked(std::move(outcome)); });
}

void ItemJob::Asked(base::Outcome<net::RemoteFile> outcome) {
  // A video file's address that its server answers with a web page is read
  // as the page it is.
  if (site_->parse == nullptr && outcome.Done() && IsWebPageType(outcome.Value().type)) {
    site_ = &resolve::AnyPageSite();
    scheduler_.items_.Update(serial_, [&](Item &it) {
      it.site = site_;
      it.pageRead = false;
    });
    Resolve();
    return;
  }
  // The name comes from the address when the server gave none (or no answer).
  remote_ = outcome.Done() ? outcome.Value() : net::RemoteFile{};
  const Item *item = scheduler_.items_.Find(serial_);
  proposed_ = item->fileName
                  ? *item->fileName
                  : list::NameOfVideo(remote_, video_.address, site_->naming, video_.title);
  const bool failed = outcome.Failed() || !remote_.exists;
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.sizeKnown = remote_.size ? list::SizeKnown::Bytes : list::SizeKnown::NotReported;
    it.size = remote_.size.value_or(0);
    if (failed) // no file is made: the name it would have had is shown
      it.fileName = proposed_;
  });
  if (outcome.Failed()) {
    Fail(outcome.Failure(), true);
    return;
  }
  // A file the server does not have is not received: its error page would
  // take the file's name.
  if (!remote_.exists) {
    Fail({base::FaultKind::FileMissing, {}}, true);
    return;
  }
  Receive();
}

void ItemJob::Receive() {
  // The bytes go into a partial file of a name no other download uses: the
  // one an earlier download of the item left, else a free variant of the
  // name the file would have. A stopped or failed download's bytes of the
  // same file are taken up again.
  const fs::path &folder = scheduler_.folder_;
  const std::string address = video_.address;
  const std::string left = scheduler_.items_.Find(serial_)->partName;
  std::optional<base::Outcome<net::PartialFile>> claimed;
  if (!left.empty())
    claimed.emplace(net::PartialFile::Claim((folder / left).string(), address));
  if (claimed && claimed->Done()) {
    partName_ = left;
  } else {
    partName_ = proposed_;
    for (int n = 2; n <= kMaxVariants && net::PartialFile::NameInUse(folder / partName_); ++n)
      partName_ = base::NameVariant(proposed_, n);
    claimed.emplace(net::PartialFile::Claim((folder / partName_).string(), address));
  }
  if (claimed->Failed()) {
    Fail(claimed->Failure());
    return;
  }
  file_.emplace(std::move(claimed->Value()));
  scheduler_.items_.Update(serial_, [&](Item &it) { it.partName = partName_; });
  stage_ = Stage::Receiving;
  transfer_ = std::make_unique<net::FileTransfer>(
      scheduler_.session_, address, *file_, remote_.size.value_or(0),
      [this](std::uint64_t received, std::uint64_t announced) { Progress(received, announced); },
      [this](base::Outcome<std::uint64_t> outcome) { Received(std::move(outcome)); },
      net::FileTransfer::Then::Leave);
  scheduler_.WantsName();
}

void ItemJob::Name(const std::string &name) {
  named_ = true;
  scheduler_.items_.Update(serial_, [&](Item &it) { it.fileName = name; });
  file_->Retarget((scheduler_.folder_ / name).string());
  if (stage_ == Stage::Received)
    Complete();
}

void ItemJob::Progress(std::uint64_t received, std::uint64_t announced) {
  const RateMeter::Clock::time_point now = RateMeter::Clock::now();
  rate_.Add(now, received);
  const Item *item = scheduler_.items_.Find(serial_);
  const bool first = item->phase != Phase::Transferring;
  if (!first && now - shown_ < kShowInterval && received != announced)
    return;
  shown_ = now;
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = Phase::Transferring;
    it.received = received;
    it.total = announced;
    it.bytesPerSecond = rate_.Recent();
    it.transferSeconds = rate_.Seconds();
  });
}

void ItemJob::Renamed(const std::string &name) {
  // The user's name is the file's.
  if (file_) {
    named_ = true;
    file_->Retarget((scheduler_.folder_ / name).string());
  }
}

void ItemJob::Received(base::Outcome<std::uint64_t> outcome) {
  if (outcome.Failed()) {
    Fail(outcome.Failure());
    return;
  }
  bytes_ = outcome.Value();
  stage_ = Stage::Received;
  if (named_)
    Complete();
}

void ItemJob::Complete() {
  // A file of the item's name may have appeared meanwhile: it gets the next free variant.
  if (std::optional<base::Fault> fault = file_->Complete()) {
    Fail(std::move(*fault));
    return;
  }
  const std::string saved = fs::path(file_->Target()).filename().string();
  scheduler_.names_.Completed(saved);
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = Phase::Complete;
    it.fileName = saved;
    it.partName.clear();
    it.sizeKnown = list::SizeKnown::Bytes;
    it.size = bytes_;
    it.bytesPerSecond = rate_.Average();
    it.transferSeconds = rate_.Seconds();
  });
  ++scheduler_.summary_.completed;
  End();
}

void ItemJob::Fail(base::Fault fault, bool fileMissing) {
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = Phase::Failed;
    it.fault = std::move(fault);
    it.bytesPerSecond = 0;
    if (fileMissing)
      it.sizeKnown = list::SizeKnown::Missing;
  });
  ++scheduler_.summary_.failed;
  scheduler_.summary_.failedItems.push_back(serial_);
  End();
}

void ItemJob::End() {
  stage_ = Stage::Ended;
  scheduler_.JobEnded(*this);
}

void ItemJob::StopWork() {
  transfer_.reset();
  info_.reset();
  lookup_.reset();
  stage_ = Stage::Ended;
}

void ItemJob::Cancel(list::Phase phase) {
  StopWork();
  file_.reset(); // its bytes stay under the partial name
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = phase;
    it.bytesPerSecond = 0;
  });
}

void ItemJob::Discard() {
  StopWork();
  if (file_)
    file_->Discard();
  file_.reset();
}

} // namespace vidtrawl::scheduler
