#include "scheduler/ItemJob.h"

#include "base/NameVariant.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "net/CompletedFile.h"
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
// The longest a server may have a failed request wait before the next try.
constexpr int kLongestRetryWait = 300;

// Whether a Content-Type (after its "/") is a web page's.
bool IsWebPageType(const std::string &type) {
  return type.rfind("html", 0) == 0 || type.rfind("xhtml", 0) == 0;
}

} // namespace

ItemJob::ItemJob(Scheduler &scheduler, list::Serial serial)
    : scheduler_(scheduler), serial_(serial), retry_(scheduler.session_.Loop()) {}

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
    it.alreadyThere = false;
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
  // Only files are downloaded so far.
  if (outcome.Value().protocol != resolve::VideoProtocol::File) {
    Fail({base::FaultKind::StreamingPlaylist, outcome.Value().address});
    return;
  }
  video_ = std::move(outcome.Value());
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.pageRead = true;
    it.videoAddress = video_.address;
  });
  Ask();
}

void ItemJob::Ask() {
  stage_ = Stage::Asking;
  info_ = std::make_unique<net::FileInfoRequest>(
      scheduler_.session_, video_.address,
      [this](base::Outcome<net::RemoteFile> outcome) { Asked(std::move(outcome)); },
      resolve::AgentFor(*site_));
}

void ItemJob::Asked(base::Outcome<net::RemoteFile> outcome) {
  // A video file's address that its server answers with a web page is read
  // as the page it is (an error page of a missing file is no such page).
  if (site_->parse == nullptr && outcome.Done() && outcome.Value().exists &&
      IsWebPageType(outcome.Value().type)) {
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
  if (!item->nameTemplate.empty() && !item->nameTyped)
    proposed_ = list::NameFromTemplate(item->nameTemplate, FieldsOf(*item));
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
  if (!FoundInFolder())
    Receive();
}

list::NameFields ItemJob::FieldsOf(const Item &item) const {
  const fs::path name(proposed_);
  list::NameFields fields{video_.title, {}, std::string(site_->name), name.extension().string()};
  if (fields.title.empty())
    fields.title = name.stem().string();
  if (!fields.ext.empty())
    fields.ext.erase(0, 1);
  // The page address's v= parameter, else the last part of its path.
  const std::string &page = item.address;
  const std::size_t query = page.find('?');
  std::size_t v = query == std::string::npos ? std::string::npos : page.find("v=", query);
  while (v != std::string::npos && page[v - 1] != '?' && page[v - 1] != '&')
    v = page.find("v=", v + 1);
  if (v != std::string::npos) {
    fields.id = page.substr(v + 2, page.find('&', v) - v - 2);
  } else {
    const std::string path = page.substr(0, page.find_first_of("?#"));
    fields.id = fs::path(path.substr(path.rfind('/') + 1)).stem().string();
  }
  return fields;
}

bool ItemJob::FoundInFolder() {
  // A file this program completed from the same address, unchanged since,
  // under the name the file would have or a variant of it, is the item's.
  for (int n = 1; n <= kMaxVariants; ++n) {
    const std::string candidate = base::NameVariant(proposed_, n);
    const fs::path target = scheduler_.folder_ / candidate;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec)))
      return false;
    const std::optional<std::uint64_t> size = net::CompletedFile::From(target, video_.address);
    if (!size || (remote_.size && *remote_.size != *size))
      continue;
    scheduler_.items_.Update(serial_, [&](Item &it) {
      it.phase = Phase::Complete;
      it.fileName = candidate;
      it.sizeKnown = list::SizeKnown::Bytes;
      it.size = *size;
      it.alreadyThere = true;
    });
    ++scheduler_.summary_.completed;
    End();
    return true;
  }
  return false;
}

void ItemJob::Receive() {
  // The bytes go into a partial file of this address's: the one an earlier
  // download of the item left, else one a stopped download of the address
  // left under a variant of the name (whatever files of those names came
  // since), else a new one under the first free variant.
  const fs::path &folder = scheduler_.folder_;
  const std::string address = video_.address;
  using Slot = net::PartialFile::Slot;
  partName_ = scheduler_.items_.Find(serial_)->partName;
  if (partName_.empty() || net::PartialFile::Probe(folder / partName_, address) == Slot::Busy) {
    std::string free;
    partName_.clear();
    for (int n = 1; n <= kMaxVariants && partName_.empty(); ++n) {
      const std::string candidate = base::NameVariant(proposed_, n);
      const fs::path target = folder / candidate;
      const Slot slot = net::PartialFile::Probe(target, address);
      if (slot == Slot::Resumable)
        partName_ = candidate;
      else if (slot == Slot::Free && free.empty())
        free = candidate;
      // Past the last name the folder holds there is nothing more of this address's.
      std::error_code ec;
      if (slot == Slot::Free && !fs::exists(fs::symlink_status(target, ec)) &&
          !fs::exists(fs::symlink_status(target.string() + net::PartialFile::kSuffix, ec)))
        break;
    }
    if (partName_.empty())
      partName_ = free.empty() ? proposed_ : free;
  }
  std::optional<base::Outcome<net::PartialFile>> claimed;
  claimed.emplace(net::PartialFile::Claim((folder / partName_).string(), address));
  if (claimed->Failed()) {
    Fail(claimed->Failure());
    return;
  }
  file_.emplace(std::move(claimed->Value()));
  scheduler_.items_.Update(serial_, [&](Item &it) { it.partName = partName_; });
  Transfer();
}

void ItemJob::Transfer() {
  const std::string &address = video_.address;
  stage_ = Stage::Receiving;
  transfer_ = std::make_unique<net::Download>(
      scheduler_.session_, address, *file_,
      net::ExpectedFile{remote_.size.value_or(0), remote_.version},
      [this](std::uint64_t received, std::uint64_t announced) { Progress(received, announced); },
      [this](base::Outcome<std::uint64_t> outcome) { Received(std::move(outcome)); },
      net::FileTransfer::Then::Leave, resolve::AgentFor(*site_));
  scheduler_.WantsName();
}

void ItemJob::Name(const std::string &name) {
  named_ = true;
  scheduler_.items_.Update(serial_, [&](Item &it) { it.fileName = name; });
  file_->Retarget((scheduler_.folder_ / name).string(), proposed_);
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
    file_->Retarget((scheduler_.folder_ / name).string(), name);
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

bool ItemJob::Retry(const base::Fault &fault) {
  // A download that got further since the last failure has its tries anew.
  const std::uint64_t bytes = file_ ? file_->Written() : 0;
  if (bytes > failedAt_)
    failures_ = 0;
  failedAt_ = bytes;
  if (!fault.transient || failures_ >= scheduler_.session_.Rules().retries)
    return false;
  // 1, 2, 4 s ... unless the server asked for a wait of its own.
  const int seconds = fault.retryAfter >= 0 ? std::min(fault.retryAfter, kLongestRetryWait)
                                            : 1 << std::min(failures_, 8);
  ++failures_;
  const Stage stage = stage_;
  retry_.Start(std::chrono::seconds(seconds), [this, stage] {
    if (stage == Stage::Resolving)
      Resolve();
    else if (stage == Stage::Asking)
      Ask();
    else
      Transfer();
  });
  return true;
}

void ItemJob::Fail(base::Fault fault, bool fileMissing) {
  if (Retry(fault))
    return;
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.phase = Phase::Failed;
    it.fault = std::move(fault);
    it.bytesPerSecond = 0;
    if (fileMissing)
      it.sizeKnown = list::SizeKnown::Missing;
  });
  ++scheduler_.summary_.failed;
  End();
}

void ItemJob::End() {
  stage_ = Stage::Ended;
  scheduler_.JobEnded(*this);
}

void ItemJob::StopWork() {
  retry_.Stop();
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
