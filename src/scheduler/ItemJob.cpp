#include "scheduler/ItemJob.h"

#include "base/NameVariant.h"
#include "list/DownloadList.h"
#include "list/FileNaming.h"
#include "media/FragmentStore.h"
#include "net/CompletedFile.h"
#include "pagesearch/AnswerMedia.h"
#include "scheduler/Scheduler.h"
#include "sites/SiteTable.h"

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
    it.fragments = it.fragmentsStored = 0;
    it.bytesPerSecond = it.transferSeconds = 0;
    it.alreadyThere = false;
    it.fault.reset();
  });
  Resolve();
}

void ItemJob::Resolve() {
  stage_ = Stage::Resolving;
  lookup_ = std::make_unique<sites::VideoLookup>(
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
      [this](base::Outcome<pagesearch::ResolvedVideo> outcome) { Resolved(std::move(outcome)); });
}

void ItemJob::Resolved(base::Outcome<pagesearch::ResolvedVideo> outcome) {
  if (outcome.Failed()) {
    Fail(outcome.Failure());
    return;
  }
  video_ = std::move(outcome.Value());
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.pageRead = true;
    it.videoAddress = video_.address;
  });
  if (Streaming())
    PlanStream();
  else
    Ask();
}

void ItemJob::Ask() {
  stage_ = Stage::Asking;
  info_ = std::make_unique<net::FileInfoRequest>(
      scheduler_.session_, video_.address,
      [this](base::Outcome<net::RemoteFile> outcome) { Asked(std::move(outcome)); },
      sites::AgentFor(*site_));
}

void ItemJob::Asked(base::Outcome<net::RemoteFile> outcome) {
  // A video file's address that its server answers with a web page is read
  // as the page it is (an error page of a missing file is no such page).
  if (site_->kind == sites::SiteKind::VideoFile && outcome.Done() && outcome.Value().exists &&
      IsWebPageType(outcome.Value().type)) {
    site_ = &sites::AnyPageSite();
    scheduler_.items_.Update(serial_, [&](Item &it) {
      it.site = site_;
      it.pageRead = false;
    });
    Resolve();
    return;
  }
  // A playlist's address that has no playlist's name: what the server calls it decides (the
  // known sites' files are files, as they always were).
  if (site_->kind != sites::SiteKind::Known && outcome.Done() && outcome.Value().exists)
    if (const auto protocol = pagesearch::PlaylistOfType(outcome.Value().contentType)) {
      video_.protocol = *protocol;
      PlanStream();
      return;
    }
  // The name comes from the address when the server gave none (or no answer).
  remote_ = outcome.Done() ? outcome.Value() : net::RemoteFile{};
  Propose(list::NameOfVideo(remote_, video_.address, site_->naming, video_.title));
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

void ItemJob::Propose(const std::string &derived) {
  const Item *item = scheduler_.items_.Find(serial_);
  proposed_ = item->fileName ? *item->fileName : derived;
  if (!item->nameTemplate.empty() && !item->nameTyped)
    proposed_ = list::NameFromTemplate(item->nameTemplate, FieldsOf(*item));
}

void ItemJob::PlanStream() {
  // Its fragments are kept beside its partial file, under a longer name.
  remote_ = net::RemoteFile{};
  Propose(
      list::NameOfStream(video_.title, video_.address, media::ExtensionOf(media::Container::Mp4)));
  list::ShortenKeepingExtension(proposed_, list::kMaxStreamName);
  scheduler_.items_.Update(serial_, [&](Item &it) {
    it.sizeKnown = list::SizeKnown::NotReported;
    it.size = 0;
  });
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
  // A stream's file may be Matroska where MP4 could not hold its codecs.
  if (Streaming() && fs::path(proposed_).extension() == media::ExtensionOf(media::Container::Mp4))
    if (FoundInFolder(fs::path(proposed_)
                          .replace_extension(media::ExtensionOf(media::Container::Matroska))
                          .string()))
      return true;
  return FoundInFolder(proposed_);
}

bool ItemJob::FoundInFolder(const std::string &name) {
  for (int n = 1; n <= kMaxVariants; ++n) {
    const std::string candidate = base::NameVariant(name, n);
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
  // A stream's fragments, in their store beside its partial file, decide whether it goes on;
  // either of the two busy keeps the name taken.
  const std::string store = Streaming() ? media::FragmentStore::kSuffix : "";
  const auto slotOf = [&](const fs::path &target) {
    const Slot own = net::PartialFile::Probe(target, address);
    return own == Slot::Busy || store.empty()
               ? own
               : net::PartialFile::Probe(target.string() + store, address);
  };
  const auto anyPartial = [&](const fs::path &target) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(target.string() + net::PartialFile::kSuffix, ec)) ||
           (!store.empty() && fs::exists(fs::symlink_status(
                                  target.string() + store + net::PartialFile::kSuffix, ec)));
  };
  partName_ = scheduler_.items_.Find(serial_)->partName;
  if (partName_.empty() || slotOf(folder / partName_) == Slot::Busy) {
    std::string free;
    partName_.clear();
    for (int n = 1; n <= kMaxVariants && partName_.empty(); ++n) {
      const std::string candidate = base::NameVariant(proposed_, n);
      const fs::path target = folder / candidate;
      const Slot slot = slotOf(target);
      if (slot == Slot::Resumable)
        partName_ = candidate;
      else if (slot == Slot::Free && free.empty())
        free = candidate;
      // Past the last name the folder holds there is nothing more of this address's.
      std::error_code ec;
      if (slot == Slot::Free && !fs::exists(fs::symlink_status(target, ec)) && !anyPartial(target))
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
  if (Streaming()) {
    stream_.reset(); // its store is free for the next
    stream_ = std::make_unique<media::StreamDownload>(
        scheduler_.session_, address, video_.protocol, *file_, scheduler_.streams_,
        sites::AgentFor(*site_),
        [this](const media::StreamProgress &progress) { StreamProgress(progress); },
        [this](base::Outcome<media::JoinedStream> outcome) { Joined(std::move(outcome)); });
    scheduler_.WantsName();
    return;
  }
  transfer_ = std::make_unique<net::Download>(
      scheduler_.session_, address, *file_,
      net::ExpectedFile{remote_.size.value_or(0), remote_.version},
      [this](std::uint64_t received, std::uint64_t announced) { Progress(received, announced); },
      [this](base::Outcome<std::uint64_t> outcome) { Received(std::move(outcome)); },
      net::FileTransfer::Then::Leave, sites::AgentFor(*site_));
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
    it.fragments = fragments_;
    it.fragmentsStored = fragmentsStored_;
  });
}

void ItemJob::StreamProgress(const media::StreamProgress &progress) {
  fragments_ = progress.parts;
  fragmentsStored_ = progress.stored;
  Progress(progress.bytes, progress.estimate);
}

void ItemJob::Joined(base::Outcome<media::JoinedStream> outcome) {
  if (outcome.Failed()) {
    Fail(outcome.Failure());
    return;
  }
  // Codecs that MP4 cannot hold went into Matroska: the file's name says so, unless the user
  // chose it.
  const std::string_view extension = media::ExtensionOf(outcome.Value().container);
  if (!scheduler_.items_.Find(serial_)->nameTyped &&
      fs::path(file_->Target()).extension() != extension) {
    proposed_ = fs::path(proposed_).replace_extension(extension).string();
    if (named_) {
      const std::string name =
          fs::path(file_->Target()).filename().replace_extension(extension).string();
      scheduler_.items_.Update(serial_, [&](Item &it) { it.fileName = name; });
      file_->Retarget((scheduler_.folder_ / name).string(), proposed_);
    }
  }
  Received(outcome.Value().bytes);
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
  if (stream_)
    stream_->Completed(); // the fragments are the file now
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
  const std::uint64_t bytes = stream_ ? stream_->Bytes() : file_ ? file_->Written() : 0;
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
  scheduler_.summary_.failedItems.push_back(serial_);
  End();
}

void ItemJob::End() {
  stage_ = Stage::Ended;
  scheduler_.JobEnded(*this);
}

void ItemJob::StopWork() {
  retry_.Stop();
  transfer_.reset();
  stream_.reset();
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
  if (Streaming() && !partName_.empty())
    media::FragmentStore::Remove((scheduler_.folder_ / partName_).string(), video_.address);
}

} // namespace vidtrawl::scheduler
